#include "archive/archive_writer.h"

#include <lzo/lzo1x.h>
#include <lzo/lzoconf.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

#include "base/printable.h"
#include "base/sjis.h"

namespace archive {
namespace {

constexpr size_t kBufferSize = 1 << 20;
// Lines held behind one member in flight; beyond, the writer settles every
// member in flight and prints them at once.
constexpr size_t kMostHeldLineBytes = 64 << 10;

// A member name or a path as the writer's lines show it.
std::string Shown(std::string_view name) { return base::Printable(name, base::TextEncoding::kShiftJis); }

// The line for a file that was not created because an interruption could
// not have removed it.
std::string NotTracked(const std::string& path, const base::Diagnostics& diagnostics) {
  return base::Format(
      diagnostics.Translate(
          "Error : %s was not created: it could not be noted for removal on an interruption\n"),
      Shown(path).c_str());
}

// The line for the spool or the archive (`isArchive`) file at `path` that
// `files` could not create or put in place, with its reason; without one
// the line names the archive (`archivePath`) as a whole, as it always has.
std::string NotCreated(bool isArchive, const std::string& path, const std::string& archivePath,
                       base::CreateFailure why, const base::FileStore& files,
                       const base::Diagnostics& diagnostics) {
  const std::string shown = Shown(path);
  if (why == base::CreateFailure::kCannotTrack) return NotTracked(path, diagnostics);
  if (why == base::CreateFailure::kInUse) {
    return base::Format(diagnostics.Translate("Error : %s is in use by another run of the converter or "
                                              "another program; one run at a time writes into a folder\n"),
                        shown.c_str());
  }
  const std::string reason = files.LastReason();
  if (reason.empty()) {
    return isArchive
               ? base::Format(diagnostics.Translate("Error : cannot create the archive %s\n"),
                              Shown(archivePath).c_str())
               : base::Format(diagnostics.Translate("Error : cannot create the spool %s\n"), shown.c_str());
  }
  return isArchive ? base::Format(diagnostics.Translate("Error : cannot create the archive %s: %s\n"),
                                  shown.c_str(), reason.c_str())
                   : base::Format(diagnostics.Translate("Error : cannot create the spool %s: %s\n"),
                                  shown.c_str(), reason.c_str());
}

}  // namespace

unsigned ArchiveWriter::DefaultWorkers() { return std::max(std::thread::hardware_concurrency(), 1u); }

ArchiveWriter::ArchiveWriter(base::Diagnostics& diagnostics, const base::FileStore& files, unsigned workers)
    : diagnostics_(diagnostics),
      files_(files),
      workers_(workers == 0 ? DefaultWorkers() : workers),
      directory_(kMaxMembers) {}

ArchiveWriter::~ArchiveWriter() {
  pipeline_.reset();
  CloseSpool();
}

void ArchiveWriter::CloseSpool() { spool_.reset(); }

void ArchiveWriter::KeepSpool() {
  CloseSpool();
  files_.Keep(spoolPath_);
}

bool ArchiveWriter::OpenSpool(const std::string& folder) {
  if (lzo_init() != LZO_E_OK) return false;
  // With workers the writer's own compressor only lends its buffer to the
  // copy at the end.
  compressor_.Prepare(kBufferSize, workers_ == 1);
  spoolPath_ = folder + std::string(kSpoolName);
  base::CreateFailure why{};
  spool_ = files_.Create(spoolPath_, why);
  if (!spool_) {
    diagnostics_.Line(NotCreated(false, spoolPath_, spoolPath_, why, files_, diagnostics_));
    return false;
  }
  if (workers_ > 1 && !pipeline_) {
    pipeline_ = std::make_unique<CompressionPipeline>(workers_);
    // Without a single worker thread the members are compressed here.
    if (pipeline_->Workers() == 0) pipeline_.reset();
  }
  return true;
}

bool ArchiveWriter::Admit(const char* name, size_t length) {
  if (!spool_) return false;
  if (pipeline_) {
    SettleCompleted();
    // Whether the directory is full, and whether the spool still takes
    // members, depends on every member in flight; a line waits for them too.
    if (!spoolFailed_ && (count_ + pipeline_->Pending() >= kMaxMembers || length > UINT32_MAX)) SettleAll();
  }
  if (spoolFailed_) return false;
  if (count_ >= kMaxMembers) {
    diagnostics_.Report("Warning : the archive holds at most %zu members; left out: %s\n", kMaxMembers,
                        Shown(name).c_str());
    return false;
  }
  if (length > UINT32_MAX) {
    diagnostics_.Report("Warning : member too large for the archive; left out: %s\n", Shown(name).c_str());
    return false;
  }
  return true;
}

void ArchiveWriter::AddMember(const char* name, const uint8_t* data, size_t length) {
  if (!Admit(name, length)) return;
  if (!pipeline_) {
    Settle(name, compressor_.Compress(data, length), length);
    return;
  }
  std::vector<uint8_t> copy;
  try {
    copy.assign(data, data + length);
  } catch (const std::bad_alloc&) {
    SettleAll();
    Compressor::Packed noMemory;
    noMemory.status = Compressor::Status::kNoMemory;
    Settle(name, noMemory, length);
    return;
  }
  Enqueue(name, std::move(copy));
}

void ArchiveWriter::AddMember(std::string name, std::vector<uint8_t>&& bytes) {
  std::vector<uint8_t> owned = std::move(bytes);
  if (!Admit(name.c_str(), owned.size())) return;
  if (!pipeline_) {
    Settle(name.c_str(), compressor_.Compress(owned.data(), owned.size()), owned.size());
    return;
  }
  Enqueue(std::move(name), std::move(owned));
}

void ArchiveWriter::Enqueue(std::string name, std::vector<uint8_t> bytes) {
  while (!pipeline_->HasRoom(bytes.size())) SettleOldest(*pipeline_->Oldest(true));
  pipeline_->Add(std::move(name), std::move(bytes));
}

void ArchiveWriter::Settle(const char* name, const Compressor::Packed& packed, size_t length) {
  switch (packed.status) {
    case Compressor::Status::kOk:
      Spool(name, packed.bytes, packed.size, length);
      return;
    // Once the spool has failed, members are dropped without a line.
    case Compressor::Status::kNoMemory:
      if (!spoolFailed_) {
        diagnostics_.Report("Warning : not enough memory to compress the member; left out: %s\n",
                            Shown(name).c_str());
      }
      return;
    case Compressor::Status::kFailed:
      if (!spoolFailed_) {
        diagnostics_.Report("Warning : the member cannot be compressed; left out: %s\n", Shown(name).c_str());
      }
      return;
  }
}

void ArchiveWriter::SettleOldest(CompressionPipeline::Member& member) {
  Compressor::Packed packed;
  packed.status = member.status;
  packed.bytes = member.bytes.data();
  packed.size = member.packedSize;
  Settle(member.name.c_str(), packed, member.length);
  for (const std::string& line : member.linesAfter) diagnostics_.Line(line);
  pipeline_->ReleaseOldest();
}

void ArchiveWriter::SettleCompleted() {
  while (CompressionPipeline::Member* member = pipeline_->Oldest(false)) SettleOldest(*member);
}

void ArchiveWriter::SettleAll() {
  while (CompressionPipeline::Member* member = pipeline_->Oldest(true)) SettleOldest(*member);
}

void ArchiveWriter::OrderedLine(std::string_view sjis) {
  if (pipeline_) {
    SettleCompleted();
    if (pipeline_->Pending() > 0) {
      CompressionPipeline::Member& newest = pipeline_->Newest();
      if (newest.linesAfterBytes + sjis.size() <= kMostHeldLineBytes) {
        newest.linesAfter.emplace_back(sjis);
        newest.linesAfterBytes += sjis.size();
        return;
      }
      SettleAll();
    }
  }
  diagnostics_.Line(sjis);
}

size_t ArchiveWriter::MemberCount() {
  if (pipeline_) SettleAll();
  return count_;
}

void ArchiveWriter::Spool(const char* name, const uint8_t* packed, size_t packedSize, size_t length) {
  if (!spool_ || spoolFailed_ || count_ >= kMaxMembers || length > UINT32_MAX) return;
  if (spoolSize_ + packedSize > UINT32_MAX) {
    diagnostics_.Report("Warning : the archive has reached its 4 GiB limit; left out: %s\n",
                        Shown(name).c_str());
    return;
  }
  if (!spool_->Write(packed, packedSize)) {
    diagnostics_.Report("Error : cannot write the spool %s\n", Shown(spoolPath_).c_str());
    spoolFailed_ = true;
    return;
  }

  uint8_t* entry = directory_[count_].bytes.data();
  std::memset(entry, 0, kEntrySize);
  const std::string stored = StoredName(std::string_view(name, strnlen(name, kNameSize)));
  std::memcpy(entry, stored.data(), stored.size());
  base::PutU32(entry + kEntryOffsetField, static_cast<uint32_t>(spoolSize_));
  base::PutU32(entry + kEntryPackedField, static_cast<uint32_t>(packedSize));
  base::PutU32(entry + kEntryUnpackedField, static_cast<uint32_t>(length));
  base::PutU32(entry + kEntryKindField, kEntryKind);
  spoolSize_ += packedSize;
  ++count_;
}

FinishResult ArchiveWriter::FinishArchive(const std::string& path, ArchiveHeader& header) {
  FinishResult result;
  if (!spool_) return result;
  if (pipeline_) {
    SettleAll();
    pipeline_.reset();
  }

  // Names compare as unsigned bytes; the zero padding makes a prefix the
  // smaller. A stable sort keeps members of the same name in their order of
  // addition.
  std::stable_sort(directory_.begin(), directory_.begin() + static_cast<ptrdiff_t>(count_),
                   [](const Entry& a, const Entry& b) {
                     return std::memcmp(a.bytes.data(), b.bytes.data(), kNameSize) < 0;
                   });
  const uint64_t dataStart = kHeaderSize + kEntrySize * count_;
  for (size_t i = 0; i < count_; ++i) {
    uint8_t* field = directory_[i].bytes.data() + kEntryOffsetField;
    base::PutU32(field, static_cast<uint32_t>(base::GetU32(field) + dataStart));
  }
  SetMemberCount(header, static_cast<uint16_t>(count_));
  const std::string shown = Shown(path);

  if (spoolFailed_) {
    result.errors.push_back(base::Format(
        diagnostics_.Translate("Error : the archive %s was not written, since the spool is incomplete\n"),
        shown.c_str()));
    CloseSpool();
    files_.Remove(spoolPath_);
    return result;
  }

  const std::string tempPath = path + ".part";
  base::CreateFailure why{};
  std::unique_ptr<base::WrittenFile> file = files_.Create(tempPath, why);
  if (!file) {
    result.errors.push_back(NotCreated(true, tempPath, path, why, files_, diagnostics_));
    KeepSpool();
    return result;
  }
  // Every byte reaches the disk before the rename, so a power cut cannot put
  // an incomplete file in place of the earlier archive.
  bool written = WriteArchive(*file, path, header, result.errors);
  if (written && !file->Flush()) {
    result.errors.push_back(
        base::Format(diagnostics_.Translate("Error : cannot write the archive %s\n"), Shown(path).c_str()));
    written = false;
  }
  if (!file->Close() && written) {
    result.errors.push_back(
        base::Format(diagnostics_.Translate("Error : cannot write the archive %s\n"), Shown(path).c_str()));
    written = false;
  }
  if (!written) {
    files_.Remove(tempPath);
    CloseSpool();
    files_.Remove(spoolPath_);
    return result;
  }
  if (!files_.Replace(tempPath, path)) {
    result.errors.push_back(
        NotCreated(true, path, path, base::CreateFailure::kCannotCreate, files_, diagnostics_));
    files_.Remove(tempPath);
    KeepSpool();
    return result;
  }
  CloseSpool();
  files_.Remove(spoolPath_);
  result.written = true;
  return result;
}

bool ArchiveWriter::WriteArchive(base::WrittenFile& file, const std::string& path,
                                 const ArchiveHeader& header, std::vector<std::string>& errors) {
  bool ok = file.Write(header.data(), header.size());
  for (size_t i = 0; ok && i < count_; ++i) ok = file.Write(directory_[i].bytes.data(), kEntrySize);
  if (!ok) {
    errors.push_back(
        base::Format(diagnostics_.Translate("Error : cannot write the archive %s\n"), Shown(path).c_str()));
    return false;
  }
  std::vector<uint8_t>& buffer = compressor_.Buffer();
  uint64_t offset = 0;
  while (offset < spoolSize_) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(buffer.size(), spoolSize_ - offset));
    if (!spool_->ReadAt(buffer.data(), chunk, offset)) {
      errors.push_back(base::Format(diagnostics_.Translate("Error : cannot read the spool %s\n"),
                                    Shown(spoolPath_).c_str()));
      return false;
    }
    if (!file.Write(buffer.data(), chunk)) {
      errors.push_back(
          base::Format(diagnostics_.Translate("Error : cannot write the archive %s\n"), Shown(path).c_str()));
      return false;
    }
    offset += chunk;
  }
  return true;
}

}  // namespace archive
