// Reads every source file's #include lines against the table of allowed
// folder edges in layers.txt, and checks that the folders, as they include
// one another, form no cycle.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = AVD_SOURCE_DIR;

struct Layers {
  std::map<std::string, std::set<std::string>> allowed;  // folder -> folders
  std::set<std::string> anything;                        // folders marked `*`
};

Layers ReadLayers(std::istream& in) {
  Layers layers;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string folder = line.substr(0, colon);
    std::istringstream rest(line.substr(colon + 1));
    std::set<std::string>& to = layers.allowed[folder];
    for (std::string dep; rest >> dep;) {
      if (dep == "*")
        layers.anything.insert(folder);
      else
        to.insert(dep);
    }
  }
  return layers;
}

Layers ProjectLayers() {
  std::ifstream in(kRoot / "layers.txt");
  EXPECT_TRUE(in) << "cannot read layers.txt";
  return ReadLayers(in);
}

// folder -> folder -> the first file that makes the edge.
using Edges = std::map<std::string, std::map<std::string, std::string>>;

// The edges that the #include "<folder>/..." lines of every source file under
// a listed folder make, to other listed folders.
Edges IncludeEdges(const Layers& layers) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*"([A-Za-z0-9_]+)/)");
  Edges edges;
  for (const auto& [folder, unused] : layers.allowed) {
    if (!fs::is_directory(kRoot / folder)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(kRoot / folder)) {
      const std::string ext = entry.path().extension().string();
      if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".c")) continue;
      std::ifstream in(entry.path());
      std::smatch m;
      for (std::string line; std::getline(in, line);) {
        if (!std::regex_search(line, m, kInclude)) continue;
        const std::string to = m[1];
        if (to == folder || !layers.allowed.count(to)) continue;
        edges[folder].emplace(to, fs::relative(entry.path(), kRoot).generic_string());
      }
    }
  }
  return edges;
}

// A cycle among `edges`, as the folders along it; empty when there is none.
std::vector<std::string> FindCycle(const std::map<std::string, std::set<std::string>>& edges) {
  std::map<std::string, int> state;  // 1 on the path, 2 done
  std::vector<std::string> path;
  std::vector<std::string> cycle;
  auto visit = [&](auto& self, const std::string& node) -> bool {
    state[node] = 1;
    path.push_back(node);
    const auto it = edges.find(node);
    if (it != edges.end()) {
      for (const std::string& next : it->second) {
        if (state[next] == 1) {
          cycle.assign(std::find(path.begin(), path.end(), next), path.end());
          cycle.push_back(next);
          return true;
        }
        if (state[next] == 0 && self(self, next)) return true;
      }
    }
    path.pop_back();
    state[node] = 2;
    return false;
  };
  for (const auto& [node, unused] : edges)
    if (state[node] == 0 && visit(visit, node)) break;
  return cycle;
}

std::string Joined(const std::vector<std::string>& folders) {
  std::string text;
  for (const std::string& f : folders) text += (text.empty() ? "" : " -> ") + f;
  return text;
}

TEST(Layering, TheTableIsReadAsWritten) {
  std::istringstream table("# comment\nbase:\nscene: base scenario\ndriver: *\n");
  const Layers layers = ReadLayers(table);
  EXPECT_EQ(layers.allowed.size(), 3u);
  EXPECT_TRUE(layers.allowed.at("base").empty());
  EXPECT_EQ(layers.allowed.at("scene"), (std::set<std::string>{"base", "scenario"}));
  EXPECT_EQ(layers.anything, std::set<std::string>{"driver"});
}

TEST(Layering, ACycleIsFoundAndNamed) {
  EXPECT_TRUE(FindCycle({{"a", {"b"}}, {"b", {"c"}}, {"c", {}}}).empty());
  EXPECT_EQ(Joined(FindCycle({{"a", {"b"}}, {"b", {"c"}}, {"c", {"b"}}})), "b -> c -> b");
}

TEST(Layering, EveryFolderOfTheProjectIsInTheTable) {
  const Layers layers = ProjectLayers();
  for (const char* folder : {"base", "platform", "archive", "scenario", "scene", "image", "inspect", "driver",
                             "avdtool", "sample", "bench", "fuzz", "tests"})
    EXPECT_TRUE(layers.allowed.count(folder)) << folder;
}

TEST(Layering, TheAllowedEdgesHaveNoCycle) {
  const Layers layers = ProjectLayers();
  std::map<std::string, std::set<std::string>> declared;
  for (const auto& [folder, to] : layers.allowed)
    for (const std::string& dep : to) {
      EXPECT_TRUE(layers.allowed.count(dep)) << folder << " names an unknown folder " << dep;
      declared[folder].insert(dep);
    }
  EXPECT_EQ(Joined(FindCycle(declared)), "");
}

TEST(Layering, EveryIncludeFollowsAnAllowedEdge) {
  const Layers layers = ProjectLayers();
  const Edges edges = IncludeEdges(layers);
  EXPECT_FALSE(edges.empty()) << "no #include line found under " << kRoot;
  for (const auto& [folder, targets] : edges) {
    if (layers.anything.count(folder)) continue;
    for (const auto& [to, file] : targets)
      EXPECT_TRUE(layers.allowed.at(folder).count(to))
          << file << " includes from " << to << "/, which " << folder << "/ may not";
  }
}

TEST(Layering, TheFoldersIncludeOneAnotherWithoutACycle) {
  std::map<std::string, std::set<std::string>> actual;
  for (const auto& [folder, targets] : IncludeEdges(ProjectLayers()))
    for (const auto& [to, file] : targets) actual[folder].insert(to);
  EXPECT_EQ(Joined(FindCycle(actual)), "");
}

}  // namespace
