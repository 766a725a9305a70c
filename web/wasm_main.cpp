// The program of the browser's worker (web/page/worker.js drives it): the
// files of one run in a MemoryFileSystem whose contents are the browser's
// Blobs, read in slices and written as parts, so that a large file never
// has to be in this program's memory whole; the run; the ZIP archive's
// headers. Blobs are known here by the numbers the worker gives them.
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "i18n/catalogue.h"
#include "platform/memory_file_system.h"
#include "web/browser_run.h"
#include "web/page_data.h"
#include "web/zip_archive.h"

// The worker's side (web/page/worker.js).
EM_JS(double, snpln_js_read,
      (int blob, double offset, void *buffer, double size),
      { return snplnRead(blob, offset, buffer, size); });
EM_JS(int, snpln_js_begin, (), { return snplnBegin(); });
EM_JS(int, snpln_js_write, (int parts, const void *data, double size),
      { return snplnWrite(parts, data, size); });
EM_JS(int, snpln_js_finish, (int parts), { return snplnFinish(parts); });
EM_JS(void, snpln_js_drop, (int id), { snplnDrop(id); });
EM_JS(double, snpln_js_now, (), { return Date.now(); });
EM_JS(void, snpln_js_tell,
      (int kind, const char *a, const char *b, const char *c, double number),
      { snplnTell(kind, a, b, c, number); });

namespace snpln::web {

namespace {

using platform::FileSize;
using platform::MemoryContent;

// What the worker is told, by number (worker.js knows them so).
enum class Tell : int {
  JobStarted = 1,
  Progress = 2,
  Report = 3,
  Saved = 4,
};

// The slices asked of the browser at once.
constexpr std::size_t kSlice = std::size_t{1} << 20;

class BlobContent final : public MemoryContent {
public:
  BlobContent(int blob, FileSize size) : blob_(blob), size_(size) {}
  ~BlobContent() override { snpln_js_drop(blob_); }
  BlobContent(const BlobContent &) = delete;
  BlobContent &operator=(const BlobContent &) = delete;

  FileSize size() const override { return size_; }
  bool read(FileSize offset, void *buffer, std::size_t size,
            std::size_t &got) const override {
    got = 0;
    if (offset >= size_)
      return true;
    const auto wanted =
        static_cast<std::size_t>(std::min<FileSize>(size, size_ - offset));
    const double read = snpln_js_read(blob_, static_cast<double>(offset),
                                      buffer, static_cast<double>(wanted));
    if (read < 0)
      return false;
    got = static_cast<std::size_t>(read);
    return true;
  }
  std::size_t readSize() const override { return kSlice; }
  int blob() const { return blob_; }

private:
  int blob_;
  FileSize size_;
};

class BlobWriter final : public platform::ContentWriter {
public:
  explicit BlobWriter(int parts) : parts_(parts) { pending_.reserve(kSlice); }
  ~BlobWriter() override {
    if (parts_ >= 0)
      snpln_js_drop(parts_);
  }
  BlobWriter(const BlobWriter &) = delete;
  BlobWriter &operator=(const BlobWriter &) = delete;

  bool write(const void *buffer, std::size_t size) override {
    const char *bytes = static_cast<const char *>(buffer);
    while (size > 0) {
      const std::size_t part = std::min(size, kSlice - pending_.size());
      pending_.insert(pending_.end(), bytes, bytes + part);
      bytes += part;
      size -= part;
      if (pending_.size() == kSlice && !hand())
        return false;
    }
    return true;
  }
  std::shared_ptr<const MemoryContent> finish() override {
    if (!pending_.empty() && !hand())
      return nullptr;
    const int blob = snpln_js_finish(parts_);
    parts_ = -1;
    if (blob < 0)
      return nullptr;
    return std::make_shared<BlobContent>(blob, written_);
  }

private:
  bool hand() {
    if (parts_ < 0 || snpln_js_write(parts_, pending_.data(),
                                     static_cast<double>(pending_.size())) < 0)
      return false;
    written_ += pending_.size();
    pending_.clear();
    return true;
  }

  int parts_;
  std::vector<char> pending_;
  FileSize written_ = 0;
};

class BlobStore final : public platform::ContentStore {
public:
  std::unique_ptr<platform::ContentWriter> begin() override {
    const int parts = snpln_js_begin();
    if (parts < 0)
      return nullptr;
    return std::make_unique<BlobWriter>(parts);
  }
};

platform::FileTime timeOf(double milliseconds) {
  const auto whole = static_cast<std::int64_t>(milliseconds);
  std::int64_t seconds = whole / 1000;
  std::int64_t rest = whole % 1000;
  if (rest < 0) {
    rest += 1000;
    --seconds;
  }
  return platform::FileTime{seconds, rest * 1000000};
}

std::unique_ptr<platform::MemoryFileSystem> files;
ZipWriter zip;
std::string zipBytes;
std::string pageDataText;
std::string messagesText;

} // namespace

} // namespace snpln::web

using namespace snpln;
using namespace snpln::web;

extern "C" {

// A new run's files: none yet.
EMSCRIPTEN_KEEPALIVE void snpln_reset() {
  files = std::make_unique<platform::MemoryFileSystem>(
      std::make_shared<BlobStore>());
  files->clock = [] { return timeOf(snpln_js_now()); };
  files->committed = [](const std::string &path,
                        const std::shared_ptr<const MemoryContent> &content) {
    if (const auto *blob = dynamic_cast<const BlobContent *>(content.get()))
      snpln_js_tell(static_cast<int>(Tell::Saved), path.c_str(), "", "",
                    blob->blob());
  };
}

// Puts the Blob numbered `blob` under `path`; 0 when the path names no
// file (the Blob is dropped then).
EMSCRIPTEN_KEEPALIVE int snpln_add(const char *path, int blob, double size,
                                   double modifiedMilliseconds) {
  auto content =
      std::make_shared<BlobContent>(blob, static_cast<FileSize>(size));
  return files->putFile(path, std::move(content), timeOf(modifiedMilliseconds))
             ? 1
             : 0;
}

// Runs snpln-cli's argument list; the status it would give. Its events go
// to the worker as they come; the messages it would print besides are
// returned through snpln_messages().
EMSCRIPTEN_KEEPALIVE int snpln_run(int argc, char **argv, int russian) {
  // The words follow the page's language, as the command line's follow
  // the locale.
  setenv("LC_ALL", russian ? "ru_RU.UTF-8" : "C", 1);
  RunEvents events;
  events.jobStarted = [](const std::string &canceled, std::size_t number) {
    snpln_js_tell(static_cast<int>(Tell::JobStarted), canceled.c_str(), "", "",
                  static_cast<double>(number));
  };
  events.progress = [](int percent) {
    snpln_js_tell(static_cast<int>(Tell::Progress), "", "", "", percent);
  };
  events.report = [](const std::string &object, const std::string &english,
                     const std::string &russianWords) {
    snpln_js_tell(static_cast<int>(Tell::Report), object.c_str(),
                  english.c_str(), russianWords.c_str(), 0);
  };
  const std::vector<std::string> args(argv, argv + argc);
  const BrowserRunResult result = runInBrowser(args, *files, events);
  messagesText = result.messages;
  return result.status;
}

EMSCRIPTEN_KEEPALIVE const char *snpln_messages() {
  return messagesText.c_str();
}

// The number of the Blob under `path` now; -1 when there is none.
EMSCRIPTEN_KEEPALIVE int snpln_blob_of(const char *path) {
  const auto content = files->content(path);
  const auto *blob = dynamic_cast<const BlobContent *>(content.get());
  return blob ? blob->blob() : -1;
}

EMSCRIPTEN_KEEPALIVE const char *snpln_page_data(int russian) {
  pageDataText =
      pageData(russian ? i18n::Language::Russian : i18n::Language::English);
  return pageDataText.c_str();
}

// The CRC-32 of the Blob numbered `blob` (kept: the caller drops it);
// -1 when it cannot be read.
EMSCRIPTEN_KEEPALIVE double snpln_crc_of(int blob, double size) {
  std::vector<char> buffer(kSlice);
  std::uint32_t crc = 0;
  const auto total = static_cast<FileSize>(size);
  for (FileSize done = 0; done < total;) {
    const auto want =
        static_cast<std::size_t>(std::min<FileSize>(kSlice, total - done));
    const double got = snpln_js_read(blob, static_cast<double>(done),
                                     buffer.data(), static_cast<double>(want));
    if (got <= 0)
      return -1;
    crc = crc32(buffer.data(), static_cast<std::size_t>(got), crc);
    done += static_cast<FileSize>(got);
  }
  return crc;
}

// The ZIP archive's bytes before an entry and after the last one; their
// length through snpln_zip_length().
EMSCRIPTEN_KEEPALIVE const char *snpln_zip_entry(const char *name, double size,
                                                 double crc,
                                                 double localSeconds) {
  zipBytes = zip.entryHeader(name, static_cast<std::uint64_t>(size),
                             static_cast<std::uint32_t>(crc),
                             static_cast<std::int64_t>(localSeconds));
  return zipBytes.data();
}
EMSCRIPTEN_KEEPALIVE const char *snpln_zip_finish() {
  zipBytes = zip.finish();
  zip = ZipWriter();
  return zipBytes.data();
}
EMSCRIPTEN_KEEPALIVE double snpln_zip_length() {
  return static_cast<double>(zipBytes.size());
}

} // extern "C"
