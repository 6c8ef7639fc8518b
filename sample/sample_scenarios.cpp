#include "sample/sample_scenarios.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "sample/rng.h"
#include "sample/sio_writer.h"

namespace tools {
namespace {

// The game walks message text two bytes at a time, so every character of a
// message must be a double-byte one.
std::string Text(std::string_view utf8) {
  std::string s = Sjis(utf8);
  for (size_t i = 0; i < s.size(); i += 2) {
    auto c = static_cast<unsigned char>(s[i]);
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (!lead || i + 1 >= s.size()) throw std::logic_error("single-byte character in: " + std::string(utf8));
  }
  return s;
}

using Options = std::vector<std::pair<Label, std::string>>;

// A scenario written as a story: narration, speaker names in 【】 and quotes
// in 「」, each its own message as the game's scripts have them.
class Story : public SioWriter {
 public:
  void Say(std::string_view utf8) { Message(Text(utf8)); }
  void Name(std::string_view utf8) { Message(Text("【" + std::string(utf8) + "】")); }
  void Quote(std::string_view utf8) { Message(Text("「" + std::string(utf8) + "」")); }
  void Line(std::string_view name, std::string_view quote) {
    Name(name);
    Quote(quote);
  }
  void Date(std::string_view utf8) { DateWithText(Text(utf8)); }
};

// Variables of the sample story.
constexpr uint16_t kAoiHeart = 10;
constexpr uint16_t kTownVisits = 11;
constexpr uint16_t kScratch = 12;
constexpr uint16_t kFestivalDays = 13;
constexpr uint16_t kShellCount = 600;  // a high-numbered variable
constexpr uint16_t kShellGoal = 700;

ScenarioFile Prologue() {
  Story s;
  s.Ignored1A("PROLOGUE");
  s.BlackScreen();
  s.Ignored1C(60);
  s.Music(1);
  s.SetDate(7, 20);
  s.Background("BG01.MOE");
  s.SetVar(kAoiHeart, Value::Const(0));
  s.SetVar(kTownVisits, Value::Const(0));
  s.Say("　潮の匂いがする坂道を、ぼくはゆっくりと下っていった。");
  s.Say("この町に来るのは三年ぶりだ。駅前の商店街も、古い郵便局も、あの頃のまま残っている。");
  s.SoundEffect("se_wave.wav");
  s.Say("波の音が、遠くから聞こえてくる。▼");
  s.Say("●……誰かが、ぼくの名前を呼んだ気がした。");
  s.Name("葵");
  s.ShowCharacters({1});
  s.Quote("→くん！　やっと来た！");
  s.Quote("もう、三十分も待ってたんだからね");
  s.Say("麦わら帽子をかぶった女の子が、坂の上から手を振っていた。");
  s.Say("幼なじみの葵だ。日に焼けた腕が、夏の光にまぶしい。");
  s.Line("葵", "駅からずっと歩いてきたの？");
  s.Say("「ああ。バスを一本逃したんだ。");
  s.Say("せっかくだから、海を見ながら歩こうと思って」");
  s.ShowCharacters({9});
  s.Line("葵", "ふうん。相変わらずのんびりしてるなあ");
  s.Say("葵はくすりと笑うと、ぼくの荷物をひとつ取り上げた。");
  s.Say("さて、どうしようか。");
  s.Choice(Options{{"sea", Text("海沿いを歩いて帰る")}, {"shops", Text("商店街に寄っていく")}});

  s.Mark("sea");
  s.Background("BG02.MOE");
  s.SoundEffect("SE_GULL.WAV");
  s.Say("堤防の上を、二人で並んで歩いた。");
  s.Line("葵", "ねえ、覚えてる？　昔ここで、一緒に花火を見たこと");
  s.Quote("……うん。覚えてるよ");
  s.AddVar(kAoiHeart, Value::Const(2));
  s.Jump("home");

  s.Mark("shops");
  s.Background("BG04.MOE");
  s.Say("商店街のアーケードは、夕方の買い物客でにぎわっていた。");
  s.ShowCharacters({1, 100});
  s.Line("紅", "あら、見ない顔ね。葵ちゃんのお友達？");
  s.Line("葵", "紅さん、この人が話してた幼なじみだよ");
  s.AddVar(kTownVisits, Value::Const(1));

  s.Mark("home");
  s.ClearCharacters();
  s.MusicStop();
  s.BackgroundAlt("BLK01");
  s.Say("　　");
  s.Say("その夜、ぼくは久しぶりに夢を見た。");
  s.CalendarUpdate();
  s.GoToScenario("DAY01.SIO");
  return {"PROLOGUE.SIO", s.Finish()};
}

ScenarioFile Day01() {
  Story s;
  s.Ignored1A("DAY01");
  s.Music(2);
  s.Background("bg03.moe");
  s.DateNoText();
  s.Say("朝。窓の外で、セミが鳴いている。");
  s.ShowCharacters({200});
  s.Line("千歳", "おはようございます。朝ごはん、できてますよ");
  s.Say("下宿先の娘さんの千歳さんが、エプロン姿で顔を出した。");
  s.Ignored1D(1, 500);
  s.SoundEffect("se_door.wav");
  s.ShowCharacters({200, 0, 300});
  s.Line("大地", "よう、お前が噂の居候か。よろしくな");
  s.Say("千歳さんのお兄さんの大地さんは、漁師をしているらしい。");
  s.JumpIf(Condition::kEqual, kAoiHeart, Value::Const(2), "promise");
  s.Say("今日は特に予定もない。町を歩いてみることにした。");
  s.Jump("town");

  s.Mark("promise");
  s.Say("そういえば、葵と約束をしていたんだった。");
  s.ShowCharacters({30});
  s.Line("葵", "遅いよ。置いていっちゃうところだった");
  s.AddVar(kAoiHeart, Value::Const(1));

  s.Mark("town");
  s.ClearCharacters();
  s.Background("BG04.MOE");
  s.SetVar(kScratch, Value::Var(kTownVisits));
  s.SetVar(kFestivalDays, Value::Const(3));
  s.MultiJump(kScratch,
              {{"quiet", Value::Const(0)}, {"again", Value::Const(1)}, {"often", Value::Var(kFestivalDays)}});
  s.Say("町はいつも通り静かだった。");
  s.Jump("evening");

  s.Mark("quiet");
  s.Say("商店街は、シャッターの閉まった店が多かった。");
  s.Jump("evening");

  s.Mark("again");
  s.ShowCharacters({100});
  s.Line("紅", "また来たの？　今日はスイカが安いわよ");
  s.Jump("evening");

  s.Mark("often");
  s.ShowCharacters({103});
  s.Line("紅", "あなた、毎日来てくれるのね");

  s.Mark("evening");
  s.ClearCharacters();
  s.Ignored20(0, 16);
  s.Date("夏祭りまであと三日");
  s.Say("夏祭りまで、あと三日。");
  s.CalendarUpdate();
  s.GoToScenario("day02.sio");
  return {"DAY01.SIO", s.Finish()};
}

ScenarioFile Day02() {
  Story s;
  s.Ignored1A("DAY02");
  s.Music(3);
  s.SetDate(7, 22);
  s.Background("BG02.MOE");
  s.Say("午後の浜辺には、ほとんど人がいなかった。");
  s.ShowCharacters({422});
  s.Line("恵美", "こんにちは。あなたが葵ちゃんの言ってた人ね");
  s.Say("日傘をさした女の人が、貝殻を拾っている。");
  s.Line("恵美", "きれいな貝殻を集めているの。");
  s.Say("恵美さんは、手のひらの貝殻を見せてくれた。");
  s.SetVar(kShellCount, Value::Const(3));
  s.SetVar(kShellGoal, Value::Const(10));
  s.AddVar(kShellCount, Value::Const(300));
  s.SubVar(kShellCount, Value::Var(kShellGoal));
  s.SetVar(512, Value::Raw(0x800000 | 512));
  s.JumpIf(Condition::kNotEqual, kShellCount, Value::Var(512), "help", "walk_on");

  s.Mark("walk_on");
  s.Say("ぼくは会釈をして、そのまま歩き出した。");
  s.Jump("shrine");

  s.Mark("help");
  s.Say("気がつくと、ぼくも一緒に貝殻を探していた。");
  s.AddVar(kShellCount, Value::Const(1));
  s.JumpIf(Condition::kOrderC2, kShellCount, Value::Const(5), "shrine");
  s.JumpIf(Condition::kOrderC3, kShellCount, Value::Var(kShellGoal), "shrine");
  s.JumpIf(Condition::kOrderC4, kAoiHeart, Value::Const(3), "shrine");
  s.JumpIf(Condition::kOrderC5, kTownVisits, Value::Const(0), "shrine");
  s.Call996({3, 10, 0, 1, 2, 0, 7});

  s.Mark("shrine");
  s.ClearCharacters();
  s.Background(Sjis("暗転"));
  s.SoundEffect("se_step.wav");
  s.Background("BG01.MOE");
  s.Say("夕方、神社の石段を登った。");
  s.ShowCharacters({30, 500});
  s.Line("風花", "あ、葵ちゃんのお客さんだ！");
  s.Line("葵", "風花、走ると転ぶよ");
  s.Say("ぼくたちは、境内の隅で夏祭りの飾りつけを手伝うことになった。");
  s.Say("どこを手伝おうか。");
  s.Choice(Options{
      {"lanterns", Text("提灯を吊るす")}, {"stalls", Text("屋台を組み立てる")}, {"rest", Text("少し休む")}});

  s.Mark("lanterns");
  s.Say("脚立に乗って、提灯をひとつずつ吊るしていった。");
  s.AddVar(kAoiHeart, Value::Const(1));
  s.Jump("night");

  s.Mark("stalls");
  s.ShowCharacters({300});
  s.Line("大地", "おう、そっち持ってくれ。せーの！");
  s.AddVar(kTownVisits, Value::Const(1));
  s.Jump("night");

  s.Mark("rest");
  s.Say("木陰に座って、冷えたラムネを飲んだ。");

  s.Mark("night");
  s.ClearCharacters();
  s.Music(4);
  s.Background("BG04.MOE");
  s.Date("夏祭りまであと二日");
  s.CalendarUpdate();
  s.GoToScenario("Day03.Sio");
  return {"day02.sio", s.Finish()};
}

ScenarioFile Day03() {
  Story s;
  s.Ignored1A("DAY03");
  s.Music(5);
  s.BackgroundAlt("EV01.MOE");
  s.DateNoText();
  s.Say("夏祭りの前の日は、朝から雨だった。");
  s.SoundEffect("SE_RAIN.WAV");
  s.ShowCharacters({600});
  s.Line("銀次", "この雨じゃ、明日の花火はどうなるかねえ");
  s.Say("港の倉庫で雨宿りをしていると、網を直している銀次さんがつぶやいた。");
  s.ShowCharacters({600, 700});
  s.Line("日和", "大丈夫だよ、おじいちゃん。明日は晴れるって、ラジオで言ってたもん");
  s.Say("「そうかい。");
  s.Say("日和がそう言うなら、きっと晴れるんだろうな」");
  s.Say("銀次さんは、目を細めて笑った。");
  s.ClearCharacters();
  s.Call995(2);
  s.BlackScreen();
  s.Music(6);
  s.Background("EV02.MOE");
  s.ShowCharacters({63, 0, 900});
  s.Name("葵");
  s.SoundEffect("se_fw01.a.wav");
  s.Quote("ねえ、明日の花火、一緒に見てくれる？");
  s.Say("雨の音が、少しだけ小さくなった気がした。");
  s.Call995(5);
  s.CalendarUpdate();
  s.GoToScenario("EPILOGUE.SIO");
  return {"Day03.Sio", s.Finish()};
}

ScenarioFile Epilogue() {
  Story s;
  s.Ignored1A("EPILOGUE");
  s.Music(7);
  s.SetDate(7, 24);
  s.Background("OP03.MOE");
  s.Say("夏祭りの夜。");
  s.SoundEffect("se_fw01.a.wav");
  s.Say("夜空に、大きな花火がひらいた。");
  s.ShowCharacters({1});
  s.Line("葵", "きれいだね");
  s.Quote("来年も、また一緒に見ようね");
  s.JumpIf(Condition::kOrderC2, kAoiHeart, Value::Const(2), "together");
  s.Call994(1);
  s.Jump("end");
  s.Mark("together");
  s.Call994(2);
  s.Mark("end");
  s.ClearCharacters();
  s.MusicStop();
  s.BlackScreen();
  s.Say("　おわり");
  return {"EPILOGUE.SIO", s.Finish()};
}

// --- Generated scenarios for measurements ---------------------------------

constexpr std::array<std::string_view, 30> kNarration = {
    "潮の匂いがする坂道を、ゆっくりと下っていく。",
    "遠くで汽笛が鳴った。",
    "セミの声が、いっそう大きくなった気がする。",
    "商店街のアーケードに、夕方の光が差し込んでいる。",
    "古い時計台の針は、三時を少し過ぎたところで止まっていた。",
    "風が吹いて、風鈴がちりんと鳴った。",
    "堤防の向こうで、漁船がゆっくりと揺れている。",
    "空には入道雲が、山のように積み上がっていた。",
    "自転車のブレーキが、甲高い音を立てる。",
    "縁側に座って、冷えた麦茶を一口飲んだ。",
    "夕立のあとの道は、まだ少し湿っていた。",
    "神社の石段は、思っていたよりもずっと長かった。",
    "窓の外では、洗濯物が風に揺れている。",
    "駄菓子屋のおばあさんが、店先で居眠りをしていた。",
    "図書館の中は、ひんやりとして静かだった。",
    "防波堤の先に、小さな灯台が見える。",
    "夜になると、港の明かりが水面に映って揺れた。",
    "ぼくは黙ったまま、足元の小石を蹴った。",
    "なんと答えればいいのか、わからなかった。",
    "胸の奥が、少しだけ痛んだ。",
    "気がつくと、もう日が傾きはじめていた。",
    "遠くの山の上に、一番星が光っている。",
    "線路沿いの道を、二人で並んで歩いた。",
    "波打ち際で、小さな蟹が横歩きをしている。",
    "花火の準備をする人たちが、広場を行き来していた。",
    "ラジオから、古い歌謡曲が流れている。",
    "どこからか、カレーの匂いが漂ってきた。",
    "机の上には、書きかけの手紙が置いてあった。",
    "扉を開けると、懐かしい木の匂いがした。",
    "雨の音を聞きながら、天井をぼんやり眺めていた。",
};

constexpr std::array<std::string_view, 20> kQuotes = {
    "おはよう。今日も暑くなりそうだね",
    "ねえ、あとで海に行かない？",
    "そんなこと、もう忘れちゃったよ",
    "……ありがとう。助かった",
    "ちょっと待って、今行くから！",
    "ふうん、そうなんだ",
    "あはは、相変わらずだなあ",
    "夏祭り、一緒に行こうよ",
    "別に、怒ってなんかないってば",
    "この町も、少し変わったでしょう？",
    "明日は早いから、もう寝なさい",
    "ほら、あそこ。灯台が光ってる",
    "え、本当に？　信じられない",
    "わたし、ずっと待ってたんだよ",
    "宿題は終わったの？",
    "スイカ切ったから、食べにおいで",
    "静かにしてよ、今いいところなんだから",
    "まあ、なんとかなるって",
    "→くん、こっちこっち！",
    "また明日ね。約束だよ",
};

constexpr std::array<std::string_view, 12> kNames = {"葵",   "紅",   "千歳", "大地",       "恵美", "風花",
                                                     "銀次", "日和", "泉",   "おばあさん", "純",   "店主"};

constexpr std::array<std::string_view, 8> kOptions = {"海へ行く",       "家に帰る",     "神社に寄る",
                                                      "商店街を歩く",   "図書館に行く", "誰かに電話する",
                                                      "もう少し考える", "港を見に行く"};

constexpr std::array<std::string_view, 5> kDateTexts = {"夏休み", "夏祭りまであと三日", "登校日", "台風の夜",
                                                        "花火大会"};

constexpr std::array<std::string_view, 7> kSoundEffects = {"se_wave.wav",  "SE_DOOR.WAV", "se_bell.wav",
                                                           "SE_GULL.WAV",  "se_step.wav", "SE_RAIN.WAV",
                                                           "se_fw01.a.wav"};

// Background names that the game shows as the black screen.
constexpr std::array<std::string_view, 3> kDarkBackgrounds = {"BLK01", "NIGHT00", "暗転"};

// The text pools in Shift-JIS, converted once.
struct Pools {
  Pools() {
    for (auto t : kNarration) narration.push_back(Text(t));
    for (auto t : kQuotes) quotes.push_back(Text(t));
    for (auto t : kNames) names.push_back(Text("【" + std::string(t) + "】"));
    for (auto t : kOptions) options.push_back(Text(t));
    for (auto t : kDateTexts) dates.push_back(Text(t));
    for (auto t : kDarkBackgrounds) dark.push_back(Sjis(t));
  }
  std::vector<std::string> narration, quotes, names, options, dates, dark;
  std::string open = Text("「"), close = Text("」"), space = Text("　"), dot = Text("●"), mark = Text("▼");
};

template <typename T>
const T& Pick(const std::vector<T>& v, Rng& rng) {
  return v[static_cast<size_t>(rng.Below(static_cast<int>(v.size())))];
}

// Writes one generated scenario, scene after scene, until it has reached
// its drawn size.
class BenchWriter {
 public:
  BenchWriter(const Pools& pools, const BenchCast& cast, Rng& rng) : p_(pools), cast_(cast), rng_(rng) {}

  std::vector<uint8_t> Write(int index, const std::string& next) {
    char tag[16];
    std::snprintf(tag, sizeof tag, "S%03d", index);
    w_.Ignored1A(tag);
    // A scene stays far below kSceneReserve bytes, so the scenario ends
    // within kBenchScenarioMax.
    size_t target = static_cast<size_t>(
        rng_.Range(static_cast<int>(kBenchScenarioMin), static_cast<int>(kBenchScenarioMax - kSceneReserve)));
    while (w_.Position() < target) Scene();
    w_.GoToScenario(next);
    return w_.Finish();
  }

 private:
  static constexpr size_t kSceneReserve = 8 * 1024;
  // Jump labels per scenario are limited to 256 by the converter.
  static constexpr int kLabelBudget = 240;
  static constexpr int kMaxLabelsPerScene = 8;

  // The name of a label of the current scene.
  std::string Tag(const char* what, int n = 0) const {
    char tag[48];
    std::snprintf(tag, sizeof tag, "c%d%s%d", scene_, what, n);
    return tag;
  }

  uint16_t AnyVar() {
    return static_cast<uint16_t>(rng_.Percent(70) ? rng_.Range(0, 299) : rng_.Range(512, 1200));
  }
  Value AnyValue() {
    return rng_.Percent(75) ? Value::Const(static_cast<uint16_t>(rng_.Range(0, 999))) : Value::Var(AnyVar());
  }

  void Narration() {
    std::string t;
    int lead = rng_.Below(10);
    if (lead == 0) t += p_.dot;
    if (lead == 1) t += p_.space;
    t += Pick(p_.narration, rng_);
    if (rng_.Percent(30)) t += Pick(p_.narration, rng_);
    if (rng_.Percent(10)) t += p_.mark;
    w_.Message(t);
  }

  void Quote() { w_.Message(p_.open + Pick(p_.quotes, rng_) + p_.close); }

  // Narration, names with their quotes (directly, or held back over a
  // sound effect) and quotes that run over two messages.
  void Dialogue(int lines) {
    for (int i = 0; i < lines; ++i) {
      int kind = rng_.Below(10);
      if (kind < 5) {
        Narration();
      } else if (kind < 9) {
        w_.Message(Pick(p_.names, rng_));
        if (kind == 8) w_.SoundEffect(kSoundEffects[static_cast<size_t>(rng_.Below(kSoundEffects.size()))]);
        Quote();
      } else {
        w_.Message(p_.open + Pick(p_.quotes, rng_));
        w_.Message(Pick(p_.quotes, rng_) + p_.close);
      }
    }
  }

  void Backdrop() {
    int kind = rng_.Below(20);
    if (kind == 0) {
      w_.BlackScreen();
    } else if (kind == 1) {
      w_.Background(Pick(p_.dark, rng_));
    } else {
      std::string name = Pick(cast_.backgrounds, rng_);
      if (kind == 2) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      if (kind < 5)
        w_.BackgroundAlt(name);
      else
        w_.Background(name);
    }
  }

  void Characters() {
    int positions = rng_.Range(0, 3);
    if (positions == 0 || cast_.sprites.empty()) {
      w_.ClearCharacters();
      return;
    }
    std::vector<uint16_t> shown;
    for (int i = 0; i < positions; ++i) {
      shown.push_back(positions > 1 && rng_.Percent(15) ? 0 : Pick(cast_.sprites, rng_));
    }
    w_.ShowCharacters(shown);
  }

  void Calendar() {
    switch (rng_.Below(4)) {
      case 0:
        w_.SetDate(static_cast<uint16_t>(rng_.Range(7, 8)), static_cast<uint16_t>(rng_.Range(1, 31)));
        break;
      case 1:
        w_.CalendarUpdate();
        break;
      case 2:
        w_.DateWithText(Pick(p_.dates, rng_));
        break;
      default:
        w_.DateNoText();
        break;
    }
  }

  void Variables() {
    switch (rng_.Below(3)) {
      case 0:
        w_.AddVar(AnyVar(), AnyValue());
        break;
      case 1:
        w_.SubVar(AnyVar(), AnyValue());
        break;
      default:
        w_.SetVar(AnyVar(), AnyValue());
        break;
    }
  }

  void Rare() {
    switch (rng_.Below(7)) {
      case 0:
        w_.Ignored1C(static_cast<uint16_t>(rng_.Range(10, 120)));
        break;
      case 1:
        w_.Ignored1D(static_cast<uint8_t>(rng_.Range(0, 3)), static_cast<uint16_t>(rng_.Range(100, 900)));
        break;
      case 2:
        w_.Ignored20(static_cast<uint16_t>(rng_.Range(0, 4)), static_cast<uint16_t>(rng_.Range(0, 32)));
        break;
      case 3:
        w_.Call994(static_cast<uint16_t>(rng_.Range(1, 5)));
        break;
      case 4:
        w_.Call995(static_cast<uint16_t>(rng_.Range(1, 6)));
        break;
      case 5: {
        std::array<uint16_t, 7> words{};
        for (auto& word : words) word = static_cast<uint16_t>(rng_.Range(0, 20));
        w_.Call996(words);
        break;
      }
      default:
        w_.MusicStop();
        break;
    }
  }

  void Choice() {
    int n = rng_.Range(2, 4);
    std::vector<std::pair<Label, std::string>> options;
    for (int i = 0; i < n; ++i) options.emplace_back(Tag("o", i), Pick(p_.options, rng_));
    w_.Choice(options);
    for (int i = 0; i < n; ++i) {
      w_.Mark(Tag("o", i));
      Dialogue(rng_.Range(1, 3));
      w_.AddVar(AnyVar(), Value::Const(1));
      if (i + 1 < n) w_.Jump(Tag("j"));
    }
    w_.Mark(Tag("j"));
    labels_ += 2 * n - 1;
  }

  void Branch() {
    auto c = static_cast<Condition>(0xC0 + rng_.Below(6));
    if (rng_.Percent(50)) {
      w_.JumpIf(c, AnyVar(), AnyValue(), Tag("t"));
    } else {
      w_.JumpIf(c, AnyVar(), AnyValue(), Tag("t"), Tag("f"));
      w_.Mark(Tag("f"));
    }
    Dialogue(rng_.Range(1, 3));
    w_.Jump(Tag("j"));
    w_.Mark(Tag("t"));
    Dialogue(rng_.Range(1, 3));
    w_.Mark(Tag("j"));
    labels_ += 3;
  }

  void Cases() {
    int n = rng_.Range(2, 4);
    std::vector<std::pair<Label, Value>> cases;
    for (int i = 0; i < n; ++i) cases.emplace_back(Tag("m", i), Value::Const(static_cast<uint16_t>(i)));
    w_.MultiJump(AnyVar(), cases);
    Dialogue(1);
    w_.Jump(Tag("j"));
    for (int i = 0; i < n; ++i) {
      w_.Mark(Tag("m", i));
      Dialogue(rng_.Range(1, 2));
      if (i + 1 < n) w_.Jump(Tag("j"));
    }
    w_.Mark(Tag("j"));
    labels_ += 2 * n;
  }

  void Scene() {
    ++scene_;
    Backdrop();
    if (rng_.Percent(30)) w_.Music(static_cast<uint16_t>(rng_.Range(1, 24)));
    if (rng_.Percent(15)) Calendar();
    Characters();
    Dialogue(rng_.Range(4, 12));
    if (rng_.Percent(20))
      w_.SoundEffect(kSoundEffects[static_cast<size_t>(rng_.Below(kSoundEffects.size()))]);
    if (rng_.Percent(30)) Variables();
    if (rng_.Percent(8)) Rare();
    if (labels_ + kMaxLabelsPerScene <= kLabelBudget) {
      switch (rng_.Below(8)) {
        case 0:
          Choice();
          break;
        case 1:
          Branch();
          break;
        case 2:
          Cases();
          break;
        default:
          break;
      }
    }
  }

  const Pools& p_;
  const BenchCast& cast_;
  Rng& rng_;
  SioWriter w_;
  int scene_ = 0;
  int labels_ = 0;
};

std::string BenchName(int number) {
  if (number == 1) return "PROLOGUE.SIO";
  char name[16];
  std::snprintf(name, sizeof name, number % 5 == 0 ? "s%03d.sio" : "S%03d.SIO", number);
  return name;
}

}  // namespace

std::vector<ScenarioFile> SampleScenarios() { return {Prologue(), Day01(), Day02(), Day03(), Epilogue()}; }

std::vector<ScenarioFile> BenchScenarios(int count, const BenchCast& cast, uint64_t seed) {
  Pools pools;
  Rng rng(seed);
  std::vector<ScenarioFile> out;
  for (int n = 1; n <= count; ++n) {
    BenchWriter writer(pools, cast, rng);
    out.push_back({BenchName(n), writer.Write(n, BenchName(n == count ? 1 : n + 1))});
  }
  return out;
}

}  // namespace tools
