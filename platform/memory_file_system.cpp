#include "platform/memory_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace snpln::platform {

namespace {

// The device number every file of a memory file system reports.
constexpr std::uint64_t kMemoryDevice = 0x6d656d;

class StringContent final : public MemoryContent {
public:
  explicit StringContent(std::string bytes) : bytes_(std::move(bytes)) {}
  FileSize size() const override { return bytes_.size(); }
  bool read(FileSize offset, void *buffer, std::size_t size,
            std::size_t &got) const override {
    got = 0;
    if (offset >= bytes_.size())
      return true;
    const auto from = static_cast<std::size_t>(offset);
    got = std::min(size, bytes_.size() - from);
    std::memcpy(buffer, bytes_.data() + from, got);
    return true;
  }

private:
  std::string bytes_;
};

class StringWriter final : public ContentWriter {
public:
  bool write(const void *buffer, std::size_t size) override {
    bytes_.append(static_cast<const char *>(buffer), size);
    return true;
  }
  std::shared_ptr<const MemoryContent> finish() override {
    return stringContent(std::move(bytes_));
  }

private:
  std::string bytes_;
};

class StringStore final : public ContentStore {
public:
  std::unique_ptr<ContentWriter> begin() override {
    return std::make_unique<StringWriter>();
  }
};

// What a held lock is: the file it is on keeps a weak pointer to it.
struct LockToken {};

struct Node {
  bool directory = false;
  std::uint64_t number = 0;
  std::weak_ptr<Node> parent;
  std::string name;
  std::map<std::string, std::shared_ptr<Node>> children;
  std::shared_ptr<const MemoryContent> content;
  std::uint32_t mode = 0;
  FileTime modified;
  FileTime changed;
  std::weak_ptr<LockToken> lock;
};

using NodePtr = std::shared_ptr<Node>;

std::vector<std::string> splitPath(const std::string &path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    if (slash > start)
      parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

bool isOneName(const std::string &name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find('/') == std::string::npos;
}

std::uint32_t attributesOf(const Node &node) {
  std::uint32_t word = node.directory ? kAttrDirectory : kAttrArchive;
  if ((node.mode & 0200) == 0)
    word |= kAttrReadOnly;
  if (!node.name.empty() && node.name[0] == '.')
    word |= kAttrHidden;
  return word;
}

} // namespace

struct MemoryFileSystem::State {
  std::mutex mutex;
  MemoryFileSystem *owner = nullptr;
  std::shared_ptr<ContentStore> store;
  NodePtr root;
  std::uint64_t numbers = 0;
  std::int64_t changes = 0;

  NodePtr makeNode(bool directory, const std::string &name,
                   const NodePtr &parent) {
    auto node = std::make_shared<Node>();
    node->directory = directory;
    node->number = ++numbers;
    node->name = name;
    node->parent = parent;
    node->mode = directory ? 0755 : 0644;
    node->changed = tick();
    node->modified = node->changed;
    return node;
  }

  // The next moment of the status change count.
  FileTime tick() { return FileTime{++changes, 0}; }

  FileTime now() {
    const FileTime moment = tick();
    if (owner && owner->clock)
      return owner->clock();
    return moment;
  }

  bool allowed(CommitStep step) {
    return !(owner && owner->commitCheck) || owner->commitCheck(step);
  }

  FileStatus statusOf(const Node &node) const {
    FileStatus s;
    s.id.device = kMemoryDevice;
    s.id.inode = node.number;
    s.size = node.content ? node.content->size() : 0;
    s.modifiedSeconds = node.modified.seconds;
    s.modifiedNanoseconds = node.modified.nanoseconds;
    s.changedSeconds = node.changed.seconds;
    s.changedNanoseconds = node.changed.nanoseconds;
    s.accessedSeconds = node.modified.seconds;
    s.accessedNanoseconds = node.modified.nanoseconds;
    s.mode = node.mode;
    return s;
  }

  // The node a path leads to from `from` (the root when null), errno set
  // when there is none. A trailing '/' asks for a directory.
  NodePtr resolve(const std::string &path, NodePtr from = nullptr) {
    NodePtr node = from ? std::move(from) : root;
    if (!path.empty() && path.front() == '/')
      node = root;
    for (const std::string &part : splitPath(path)) {
      if (!node->directory) {
        errno = ENOTDIR;
        return nullptr;
      }
      if (part == ".")
        continue;
      if (part == "..") {
        if (auto up = node->parent.lock())
          node = std::move(up);
        continue;
      }
      const auto found = node->children.find(part);
      if (found == node->children.end()) {
        errno = ENOENT;
        return nullptr;
      }
      node = found->second;
    }
    if (!path.empty() && path.back() == '/' && !node->directory) {
      errno = ENOTDIR;
      return nullptr;
    }
    return node;
  }

  // The node at `at`: a path from the root, or one name in an open
  // directory (".." its parent).
  NodePtr locate(const FileLocation &at);

  std::string pathOf(const NodePtr &node) const {
    std::string path;
    for (NodePtr n = node; n && n != root; n = n->parent.lock())
      path = path.empty() ? n->name : n->name + "/" + path;
    return path;
  }

  // Whether `name` in the directory `parent` still leads to `node`.
  static bool named(const std::weak_ptr<Node> &parent, const std::string &name,
                    const NodePtr &node) {
    const NodePtr dir = parent.lock();
    if (!dir)
      return false;
    const auto found = dir->children.find(name);
    return found != dir->children.end() && found->second == node;
  }

  std::vector<DirEntry> entriesOf(const NodePtr &dir, const std::string &mask) {
    std::vector<DirEntry> entries;
    const NodePtr up = dir->parent.lock() ? dir->parent.lock() : dir;
    for (const auto &[name, node] :
         {std::pair<std::string, NodePtr>{".", dir}, {"..", up}})
      if (matchesDosMask(name, mask))
        entries.push_back(DirEntry{name, kAttrDirectory, EntryKind::Directory,
                                   statusOf(*node)});
    for (const auto &[name, node] : dir->children)
      if (matchesDosMask(name, mask))
        entries.push_back(
            DirEntry{name, attributesOf(*node),
                     node->directory ? EntryKind::Directory : EntryKind::File,
                     statusOf(*node)});
    return entries;
  }
};

namespace {

class MemoryDirectory final : public Directory {
public:
  explicit MemoryDirectory(NodePtr node) : node_(std::move(node)) {}
  FileId id() const override {
    return FileId{kMemoryDevice, node_->number, {}};
  }
  const NodePtr &node() const { return node_; }

private:
  NodePtr node_;
};

using State = MemoryFileSystem::State;

class MemorySave final : public SaveFile {
public:
  // The new content of `node`, opened as `name` in `parent`.
  MemorySave(std::shared_ptr<State> state, NodePtr node,
             std::weak_ptr<Node> parent, std::string name, FileStatus original,
             std::shared_ptr<LockToken> lock,
             std::unique_ptr<ContentWriter> writer)
      : state_(std::move(state)), node_(std::move(node)),
        parent_(std::move(parent)), name_(std::move(name)), original_(original),
        lock_(std::move(lock)), writer_(std::move(writer)) {}

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    written = 0;
    if (!writer_ || !writer_->write(buffer, size))
      return false;
    written = size;
    return true;
  }
  bool flush() override { return writer_ != nullptr; }

  bool setTimes(const FileTime &accessed, const FileTime &modified) override {
    (void)accessed;
    modified_ = modified;
    return writer_ != nullptr;
  }

  SaveOutcome commit() override {
    if (!writer_)
      return SaveOutcome::WriteFailed;
    std::shared_ptr<const MemoryContent> content;
    {
      std::lock_guard<std::mutex> guard(state_->mutex);
      if (!state_->allowed(MemoryFileSystem::CommitStep::Finish))
        return fail(EIO);
    }
    // Outside the lock: a store may take its time.
    content = writer_->finish();
    writer_.reset();
    if (!content)
      return fail(EIO);
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (!state_->allowed(MemoryFileSystem::CommitStep::Check) ||
        !State::named(parent_, name_, node_) ||
        !sameVersion(original_, state_->statusOf(*node_)))
      return end(SaveOutcome::TargetChanged);
    if (!state_->allowed(MemoryFileSystem::CommitStep::Replace))
      return fail(EIO);
    const NodePtr parent = parent_.lock();
    NodePtr fresh = state_->makeNode(false, name_, parent);
    fresh->content = content;
    fresh->mode = node_->mode;
    fresh->modified = modified_ ? *modified_ : state_->now();
    parent->children[fresh->name] = fresh;
    replacement_ = state_->statusOf(*fresh);
    if (state_->owner && state_->owner->committed)
      state_->owner->committed(state_->pathOf(fresh), content);
    return end(SaveOutcome::Replaced);
  }

  void abandon() override {
    writer_.reset();
    lock_.reset();
  }

  std::optional<FileStatus> replacement() const override {
    return replacement_;
  }

private:
  SaveOutcome fail(int error) {
    writer_.reset();
    lock_.reset();
    errno = error;
    return SaveOutcome::WriteFailed;
  }
  SaveOutcome end(SaveOutcome outcome) {
    writer_.reset();
    lock_.reset();
    return outcome;
  }

  std::shared_ptr<State> state_;
  NodePtr node_;
  std::weak_ptr<Node> parent_;
  std::string name_;
  FileStatus original_;
  std::shared_ptr<LockToken> lock_;
  std::unique_ptr<ContentWriter> writer_;
  std::optional<FileTime> modified_;
  std::optional<FileStatus> replacement_;
};

class MemoryInput final : public InputFile {
public:
  MemoryInput(std::shared_ptr<State> state, NodePtr node)
      : state_(std::move(state)), node_(std::move(node)),
        parent_(node_->parent), name_(node_->name), content_(node_->content) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    got = 0;
    if (!content_)
      return true;
    char *out = static_cast<char *>(buffer);
    const std::size_t chunk = content_->readSize();
    const FileSize end = content_->size();
    while (got < size && position_ < end) {
      std::size_t part = 0;
      if (chunk == 0 || size - got >= chunk) {
        if (!content_->read(position_, out + got, size - got, part))
          return false;
      } else {
        // Served from what the last large read brought.
        if (!buffered(chunk))
          return false;
        const auto from = static_cast<std::size_t>(position_ - bufferStart_);
        part = std::min(size - got, buffer_.size() - from);
        std::memcpy(out + got, buffer_.data() + from, part);
      }
      if (part == 0)
        break;
      got += part;
      position_ += part;
    }
    return true;
  }
  bool seek(FileSize position) override {
    position_ = position;
    return true;
  }
  FileSize position() const override { return position_; }
  bool size(FileSize &result) override {
    result = content_ ? content_->size() : 0;
    return true;
  }
  bool status(FileStatus &result) override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    result = state_->statusOf(*node_);
    return true;
  }

  LockOutcome lock() override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (lock_)
      return LockOutcome::Locked;
    if (!node_->lock.expired())
      return LockOutcome::Busy;
    lock_ = std::make_shared<LockToken>();
    node_->lock = lock_;
    return LockOutcome::Locked;
  }
  bool stillNamed() override {
    std::lock_guard<std::mutex> guard(state_->mutex);
    return State::named(parent_, name_, node_);
  }
  std::unique_ptr<SaveFile> beginSave(const FileStatus &original,
                                      const SaveRules &rules,
                                      SystemError &why) override {
    why = SystemError{};
    if (!rules.backupSuffix.empty()) {
      why.code = ENOTSUP;
      why.text = std::strerror(ENOTSUP);
      return nullptr;
    }
    auto writer = state_->store->begin();
    if (!writer) {
      why.code = ENOSPC;
      why.text = std::strerror(ENOSPC);
      return nullptr;
    }
    return std::make_unique<MemorySave>(state_, node_, parent_, name_, original,
                                        lock_, std::move(writer));
  }

private:
  // Makes the buffer hold the bytes from position_ on (none at the end),
  // reading up to `chunk` of them when it does not.
  bool buffered(std::size_t chunk) {
    if (position_ >= bufferStart_ && position_ < bufferStart_ + buffer_.size())
      return true;
    buffer_.resize(chunk);
    std::size_t got = 0;
    if (!content_->read(position_, buffer_.data(), chunk, got)) {
      buffer_.clear();
      return false;
    }
    buffer_.resize(got);
    bufferStart_ = position_;
    return true;
  }

  std::shared_ptr<State> state_;
  NodePtr node_;
  // Where it was opened: the save replaces that name.
  std::weak_ptr<Node> parent_;
  std::string name_;
  std::shared_ptr<const MemoryContent> content_;
  std::shared_ptr<LockToken> lock_;
  FileSize position_ = 0;
  std::vector<char> buffer_;
  FileSize bufferStart_ = 0;
};

class MemoryListing final : public DirListing {
public:
  explicit MemoryListing(std::vector<DirEntry> entries)
      : entries_(std::move(entries)) {}
  std::optional<DirEntry> next() override {
    if (index_ == entries_.size())
      return std::nullopt;
    return std::move(entries_[index_++]);
  }

private:
  std::vector<DirEntry> entries_;
  std::size_t index_ = 0;
};

const NodePtr *directoryNode(const Directory &directory) {
  const auto *ours = dynamic_cast<const MemoryDirectory *>(&directory);
  return ours ? &ours->node() : nullptr;
}

} // namespace

NodePtr State::locate(const FileLocation &at) {
  if (!at.directory)
    return at.name.empty() ? (errno = ENOENT, nullptr) : resolve(at.name);
  const NodePtr *dir = directoryNode(*at.directory);
  if (!dir)
    return nullptr;
  if (at.name == "..")
    return (*dir)->parent.lock() ? (*dir)->parent.lock() : *dir;
  if (!isOneName(at.name))
    return nullptr;
  const auto found = (*dir)->children.find(at.name);
  if (found == (*dir)->children.end()) {
    errno = ENOENT;
    return nullptr;
  }
  return found->second;
}

std::shared_ptr<const MemoryContent> stringContent(std::string bytes) {
  return std::make_shared<StringContent>(std::move(bytes));
}

std::shared_ptr<ContentStore> stringContentStore() {
  return std::make_shared<StringStore>();
}

std::optional<std::string> bytesOf(const MemoryContent &content) {
  std::string bytes(static_cast<std::size_t>(content.size()), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t got = 0;
    if (!content.read(done, bytes.data() + done, bytes.size() - done, got) ||
        got == 0)
      return std::nullopt;
    done += got;
  }
  return bytes;
}

MemoryFileSystem::MemoryFileSystem(std::shared_ptr<ContentStore> store)
    : state_(std::make_shared<State>()) {
  state_->owner = this;
  state_->store = store ? std::move(store) : stringContentStore();
  state_->root = state_->makeNode(true, {}, nullptr);
}

MemoryFileSystem::~MemoryFileSystem() {
  std::lock_guard<std::mutex> guard(state_->mutex);
  state_->owner = nullptr;
}

bool MemoryFileSystem::makeDirectory(const std::string &path) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  NodePtr node = state_->root;
  for (const std::string &part : splitPath(path)) {
    if (!isOneName(part))
      return false;
    auto &child = node->children[part];
    if (!child)
      child = state_->makeNode(true, part, node);
    if (!child->directory)
      return false;
    node = child;
  }
  return true;
}

bool MemoryFileSystem::putFile(const std::string &path,
                               std::shared_ptr<const MemoryContent> content,
                               FileTime modified) {
  const std::vector<std::string> parts = splitPath(path);
  if (parts.empty() || path.back() == '/' ||
      !std::all_of(parts.begin(), parts.end(), isOneName))
    return false;
  std::string folder;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i)
    folder += parts[i] + "/";
  if (!makeDirectory(folder))
    return false;
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr parent = state_->resolve(folder);
  auto &slot = parent->children[parts.back()];
  if (slot && slot->directory)
    return false;
  slot = state_->makeNode(false, parts.back(), parent);
  slot->content = content ? std::move(content) : stringContent({});
  if (modified != FileTime{})
    slot->modified = modified;
  return true;
}

bool MemoryFileSystem::rename(const std::string &from, const std::string &to) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr node = state_->resolve(from);
  const auto cut = to.rfind('/');
  const std::string name = cut == std::string::npos ? to : to.substr(cut + 1);
  const NodePtr parent = state_->resolve(
      cut == std::string::npos ? std::string() : to.substr(0, cut + 1));
  if (!node || node == state_->root || !parent || !isOneName(name))
    return false;
  for (NodePtr up = parent; up; up = up->parent.lock())
    if (up == node)
      return false;
  const auto there = parent->children.find(name);
  if (there != parent->children.end() &&
      (there->second->directory || node->directory))
    return false;
  const NodePtr oldParent = node->parent.lock();
  oldParent->children.erase(node->name);
  node->name = name;
  node->parent = parent;
  node->changed = state_->tick();
  parent->children[name] = node;
  return true;
}

bool MemoryFileSystem::setMode(const std::string &path, std::uint32_t mode) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr node = state_->resolve(path);
  if (!node)
    return false;
  node->mode = mode & 07777;
  node->changed = state_->tick();
  return true;
}

std::shared_ptr<const MemoryContent>
MemoryFileSystem::content(const std::string &path) const {
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr node = state_->resolve(path);
  return node && !node->directory ? node->content : nullptr;
}

std::vector<std::string>
MemoryFileSystem::names(const std::string &path) const {
  std::lock_guard<std::mutex> guard(state_->mutex);
  std::vector<std::string> found;
  if (const NodePtr node = state_->resolve(path); node && node->directory)
    for (const auto &entry : node->children)
      found.push_back(entry.first);
  return found;
}

std::unique_ptr<InputFile> MemoryFileSystem::openRead(const FileLocation &at) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr node = state_->locate(at);
  if (!node)
    return nullptr;
  if (node->directory) {
    errno = EISDIR;
    return nullptr;
  }
  return std::make_unique<MemoryInput>(state_, node);
}

std::optional<FileStatus> MemoryFileSystem::status(const FileLocation &at) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr node = state_->locate(at);
  if (!node)
    return std::nullopt;
  return state_->statusOf(*node);
}

std::shared_ptr<const Directory>
MemoryFileSystem::openDirectory(const FileLocation &at) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  NodePtr node = state_->locate(at);
  if (!node)
    return nullptr;
  if (!node->directory) {
    errno = ENOTDIR;
    return nullptr;
  }
  return std::make_shared<MemoryDirectory>(std::move(node));
}

std::optional<std::vector<DirEntry>>
MemoryFileSystem::listDirectory(const Directory &directory,
                                const std::string &mask) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr *dir = directoryNode(directory);
  if (!dir) {
    errno = EBADF;
    return std::nullopt;
  }
  return state_->entriesOf(*dir, mask);
}

std::unique_ptr<DirListing> MemoryFileSystem::list(const std::string &pattern) {
  std::lock_guard<std::mutex> guard(state_->mutex);
  const auto cut = pattern.rfind('/');
  const NodePtr dir = state_->resolve(
      cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1));
  if (!dir)
    return nullptr;
  auto entries = state_->entriesOf(
      dir, cut == std::string::npos ? pattern : pattern.substr(cut + 1));
  if (entries.empty())
    return nullptr;
  return std::make_unique<MemoryListing>(std::move(entries));
}

std::optional<std::uint32_t> MemoryFileSystem::lookup(const std::string &name) {
  if (name.empty()) {
    errno = ENOENT;
    return std::nullopt;
  }
  const auto cut = name.rfind('/');
  const std::string last =
      cut == std::string::npos ? name : name.substr(cut + 1);
  if (last.find_first_of("*?") != std::string::npos) {
    auto listing = list(name);
    if (!listing) {
      errno = ENOENT;
      return std::nullopt;
    }
    return listing->next()->attributes;
  }
  std::lock_guard<std::mutex> guard(state_->mutex);
  const NodePtr node = state_->resolve(name);
  if (!node)
    return std::nullopt;
  return attributesOf(*node);
}

#ifdef __EMSCRIPTEN__
// In the browser the machine's files are out of reach: every file a run
// works on is one the page was given, in a MemoryFileSystem of its own.
FileSystem &realFileSystem() {
  static MemoryFileSystem instance;
  return instance;
}
#endif

} // namespace snpln::platform
