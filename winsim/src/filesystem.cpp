#include <winsim/filesystem.h>
#include <winsim/machine.h>
#include <winsim/text.h>

#include <algorithm>
#include <cctype>

namespace winsim {

FileNode* FileNode::Child(std::string_view childName) const {
  for (const auto& child : children) {
    if (SameName(child->name, childName) ||
        (!child->shortName.empty() && SameName(child->shortName, childName))) {
      return child.get();
    }
  }
  return nullptr;
}

FileSystem::FileSystem() { AddVolume('C'); }

void FileSystem::AddVolume(char letter) {
  char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto root = std::make_unique<FileNode>();
  root->name = std::string(1, drive) + ":";
  root->attributes = FILE_ATTRIBUTE_DIRECTORY;
  volumes_[drive] = std::move(root);
}

void FileSystem::AddVolumeWithoutFileIndexes(char letter) {
  AddVolume(letter);
  withoutIndexes_.insert(volumes_.at(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))).get());
}

namespace {

DWORD NextFileIndex() {
  static DWORD next = 0x100;
  return next++;
}

bool StartsWithDevicePrefix(const std::string& path) {
  return path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0;
}

}  // namespace

FileNode::FileNode() : index(NextFileIndex()) {}

// Splits a path, as the system spells it out in full, into its drive and components: a
// device path ("\\?\C:\x", "\\.\C:\x") reaches the drive's own path, a share or SUBST
// drive the directory it stands for. A path on no volume gives drive 0.
std::vector<std::string> FileSystem::Components(std::string_view given, char* drive) const {
  *drive = 0;
  std::string path = FullPathName(given);
  while (StartsWithDevicePrefix(path)) {
    path.erase(0, 4);
    if (path.size() >= 4 && SameName(path.substr(0, 4), "UNC\\")) path.replace(0, 4, "\\\\");
  }
  if (path.rfind("\\\\", 0) == 0) {
    const std::size_t server = path.find('\\', 2);
    const std::size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
    const auto target = shares_.find(Upper(path.substr(0, share)));
    if (target == shares_.end()) return {};
    return Components(target->second + (share == std::string::npos ? "" : path.substr(share)), drive);
  }
  if (path.size() < 2 || path[1] != ':') return {};
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  if (withoutMedium_.count(letter)) {
    if (!(machine().system.errorMode & SEM_FAILCRITICALERRORS)) {
      machine().ui.boxes.push_back({nullptr, std::string("There is no disk in the drive. Please insert a disk into drive ") +
                                                 letter + ":.", "No Disk", MB_ABORTRETRYIGNORE});
    }
    return {};
  }
  if (const auto subst = substDrives_.find(letter); subst != substDrives_.end()) {
    return Components(subst->second + "\\" + path.substr(2), drive);
  }
  if (!volumes_.count(letter)) return {};
  *drive = letter;
  std::vector<std::string> clean;
  for (std::string& part : SplitPath(std::string_view(path).substr(2))) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!clean.empty()) clean.pop_back();
      continue;
    }
    clean.push_back(std::move(part));
  }
  return clean;
}

void FileSystem::AddShare(std::string_view server, std::string_view name, std::string_view target) {
  shares_[Upper("\\\\" + std::string(server) + "\\" + std::string(name))] = std::string(target);
}

void FileSystem::AddSubstDrive(char letter, std::string_view target) {
  substDrives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = std::string(target);
}

void FileSystem::AddDriveWithoutMedium(char letter) {
  withoutMedium_.insert(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
}

bool FileSystem::IsWithoutMedium(std::string_view path) const {
  const std::string full = FullPathName(path);
  return full.size() >= 2 && full[1] == ':' &&
         withoutMedium_.count(static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])))) != 0;
}

std::vector<char> FileSystem::DriveLetters() const {
  std::set<char> letters(withoutMedium_.begin(), withoutMedium_.end());
  for (const auto& [letter, root] : volumes_) letters.insert(letter);
  for (const auto& [letter, target] : substDrives_) letters.insert(letter);
  return {letters.begin(), letters.end()};
}

bool FileSystem::IsVolume(char letter) const {
  return volumes_.count(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))) != 0;
}

// Windows gives up after this many reparse points on one path.
constexpr int kMaxLinkHops = 63;

FileNode* FileSystem::Walk(char drive, const std::vector<std::string>& parts, std::size_t count,
                           int hops) const {
  FileNode* node = volumes_.at(drive).get();
  for (std::size_t i = 0; i < count; ++i) {
    node = Resolve(node, hops);
    if (!node || !node->IsDirectory()) return nullptr;
    node = node->Child(parts[i]);
    if (!node) return nullptr;
  }
  return node;
}

FileNode* FileSystem::Resolve(FileNode* node, int hops) const {
  while (node && node->IsLink()) {
    if (++hops > kMaxLinkHops) return nullptr;
    char drive = 0;
    std::vector<std::string> parts = Components(node->linkTarget, &drive);
    if (!drive) return nullptr;
    node = Walk(drive, parts, parts.size(), hops);
  }
  return node;
}

FileNode* FileSystem::Lookup(std::string_view path) const {
  char drive = 0;
  std::vector<std::string> parts = Components(path, &drive);
  if (!drive) return nullptr;
  return Walk(drive, parts, parts.size(), 0);
}

FileNode* FileSystem::ParentOf(std::string_view path, std::string* leaf) const {
  char drive = 0;
  std::vector<std::string> parts = Components(path, &drive);
  if (!drive || parts.empty()) return nullptr;
  *leaf = parts.back();
  FileNode* node = Resolve(Walk(drive, parts, parts.size() - 1, 0));
  return node && node->IsDirectory() ? node : nullptr;
}

std::string FileSystem::PathOf(const FileNode& node) const {
  if (!node.parent) return node.name + "\\";
  std::string parent = PathOf(*node.parent);
  if (parent.back() != '\\') parent += '\\';
  return parent + node.name;
}

FileNode* FileSystem::Ensure(std::string_view path) {
  char drive = 0;
  std::vector<std::string> parts = Components(path, &drive);
  if (!drive && path.size() >= 2 && path[1] == ':') {
    AddVolume(path[0]);
    parts = Components(path, &drive);
  }
  if (!drive) return nullptr;
  FileNode* node = volumes_.at(drive).get();
  for (const std::string& part : parts) {
    node = Resolve(node);
    if (!node) return nullptr;
    FileNode* child = node->Child(part);
    if (!child) {
      auto created = std::make_unique<FileNode>();
      created->name = part;
      created->parent = node;
      created->attributes = FILE_ATTRIBUTE_DIRECTORY;
      child = created.get();
      node->children.push_back(std::move(created));
    }
    node = child;
  }
  return node;
}

void FileSystem::AddDirectory(std::string_view path) { Ensure(path); }

void FileSystem::AddFile(std::string_view path, std::string_view content) {
  std::size_t slash = path.rfind('\\');
  FileNode* dir = Resolve(Ensure(path.substr(0, slash)));
  std::string name(path.substr(slash + 1));
  FileNode* file = dir->Child(name);
  if (!file) {
    auto created = std::make_unique<FileNode>();
    created->name = name;
    created->parent = dir;
    file = created.get();
    dir->children.push_back(std::move(created));
  }
  file->attributes = FILE_ATTRIBUTE_ARCHIVE;
  file->content = std::string(content);
}

void FileSystem::SetAttributes(std::string_view path, DWORD attributes) {
  if (FileNode* node = Lookup(path)) {
    const DWORD kept = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    node->attributes = (node->attributes & kept) | (attributes & ~kept);
  }
}

void FileSystem::HoldOpen(std::string_view path, bool held) {
  if (FileNode* node = Lookup(path)) node->heldOpen = held;
}

void FileSystem::HoldOpenUntil(std::string_view path, std::uint64_t releaseTime) {
  if (FileNode* node = Lookup(path)) node->heldUntil = releaseTime;
}

void FileSystem::AddLink(std::string_view path, std::string_view target, DWORD attributes) {
  std::size_t slash = path.rfind('\\');
  FileNode* dir = Resolve(Ensure(path.substr(0, slash)));
  auto link = std::make_unique<FileNode>();
  link->name = std::string(path.substr(slash + 1));
  link->parent = dir;
  link->attributes = attributes | FILE_ATTRIBUTE_REPARSE_POINT;
  link->linkTarget = std::string(target);
  dir->children.push_back(std::move(link));
}

void FileSystem::AddJunction(std::string_view path, std::string_view target) {
  AddLink(path, target, FILE_ATTRIBUTE_DIRECTORY);
}

void FileSystem::AddFileLink(std::string_view path, std::string_view target) {
  AddLink(path, target, FILE_ATTRIBUTE_ARCHIVE);
}

void FileSystem::SetShortName(std::string_view path, std::string_view shortName) {
  if (FileNode* node = Lookup(path)) node->shortName = std::string(shortName);
}

void FileSystem::SetListingOrder(std::string_view directory, std::vector<std::string> names) {
  if (FileNode* node = Resolve(Lookup(directory))) node->listingOrder = std::move(names);
}

bool FileSystem::Exists(std::string_view path) const { return Lookup(path) != nullptr; }

bool FileSystem::IsDirectory(std::string_view path) const {
  FileNode* node = Lookup(path);
  return node && node->IsDirectory();
}

std::optional<std::string> FileSystem::ReadFile(std::string_view path) const {
  FileNode* node = Lookup(path);
  if (!node || node->IsDirectory()) return std::nullopt;
  return node->content;
}

std::vector<std::string> FileSystem::List(std::string_view directory) const {
  std::vector<std::string> names;
  if (FileNode* node = Resolve(Lookup(directory))) {
    for (const auto& child : node->children) names.push_back(child->name);
  }
  return names;
}

std::string FileSystem::Dump() const {
  std::string out;
  std::function<void(const FileNode&)> walk = [&](const FileNode& node) {
    out += PathOf(node);
    if (node.IsDirectory()) out += "\\";
    out += " attr " + std::to_string(node.attributes);
    if (!node.IsDirectory()) out += " size " + std::to_string(node.content.size());
    if (node.IsLink()) out += " link " + node.linkTarget;
    out += "\n";
    for (const auto& child : node.children) walk(*child);
  };
  for (const auto& [letter, root] : volumes_) walk(*root);
  return out;
}

void FileSystem::Remove(FileNode& node) {
  unflushed_.erase(&node);
  FileNode* parent = node.parent;
  auto& siblings = parent->children;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [&](const auto& child) { return child.get() == &node; }),
                 siblings.end());
}

void FileSystem::Restart() {
  fileHandles_.clear();
  findHandles_.clear();
  unflushed_.clear();  // an orderly restart writes out what the system had cached
  std::function<void(FileNode&)> end = [&](FileNode& directory) {
    auto& children = directory.children;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [](const auto& child) { return child->deletePending; }),
                   children.end());
    for (auto& child : children) {
      child->heldOpen = false;
      child->heldUntil = 0;
      end(*child);
    }
  };
  for (auto& [letter, root] : volumes_) end(*root);
}

bool FileSystem::Move(FileNode& node, std::string_view target) {
  std::string leaf;
  FileNode* directory = ParentOf(target, &leaf);
  if (!directory || directory->Child(leaf)) return false;
  auto& siblings = node.parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [&](const auto& child) { return child.get() == &node; });
  std::unique_ptr<FileNode> moved = std::move(*it);
  siblings.erase(it);
  moved->name = leaf;
  moved->shortName.clear();
  moved->parent = directory;
  directory->children.push_back(std::move(moved));
  return true;
}

DWORD FileSystem::NotFoundError(std::string_view path) const {
  if (IsWithoutMedium(path)) return ERROR_NOT_READY;
  std::string leaf;
  return ParentOf(path, &leaf) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

std::size_t FileSystem::ListingBytes() const {
  std::size_t bytes = 0;
  for (const auto& [handle, listing] : findHandles_) {
    bytes += listing.entries.capacity() * sizeof(WIN32_FIND_DATAA);
  }
  return bytes;
}

HANDLE FileSystem::OpenFind(Listing listing) {
  ULONG_PTR id = nextHandle_;
  nextHandle_ += 4;
  findHandles_[id] = std::move(listing);
  return reinterpret_cast<HANDLE>(id);
}

FileSystem::Listing* FileSystem::GetFind(HANDLE handle) {
  auto it = findHandles_.find(reinterpret_cast<ULONG_PTR>(handle));
  return it == findHandles_.end() ? nullptr : &it->second;
}

bool FileSystem::CloseFind(HANDLE handle) {
  return findHandles_.erase(reinterpret_cast<ULONG_PTR>(handle)) == 1;
}

HANDLE FileSystem::OpenFile(OpenedFile file) {
  ULONG_PTR id = nextHandle_;
  nextHandle_ += 4;
  fileHandles_[id] = std::move(file);
  return reinterpret_cast<HANDLE>(id);
}

FileSystem::OpenedFile* FileSystem::GetFile(HANDLE handle) {
  auto it = fileHandles_.find(reinterpret_cast<ULONG_PTR>(handle));
  return it == fileHandles_.end() ? nullptr : &it->second;
}

bool FileSystem::OpenedFile::Writable() const {
  return (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
}

void FileSystem::Write(OpenedFile& file, std::string_view data) {
  FileNode& node = *file.node;
  unflushed_.emplace(&node, node.content);  // keeps the content of the last flush
  if (node.content.size() < file.position) node.content.resize(file.position, '\0');
  node.content.replace(file.position, data.size(), data);
  file.position += data.size();
}

void FileSystem::LosePower() {
  for (auto& [node, flushed] : unflushed_) node->content = flushed;
  unflushed_.clear();
}

bool FileSystem::CloseFile(HANDLE handle) {
  auto it = fileHandles_.find(reinterpret_cast<ULONG_PTR>(handle));
  if (it == fileHandles_.end()) return false;
  FileNode* node = it->second.node;
  fileHandles_.erase(it);
  if (node && node->deletePending && !IsOpen(*node)) Remove(*node);
  return true;
}

bool FileSystem::IsOpen(const FileNode& node) const {
  return std::any_of(fileHandles_.begin(), fileHandles_.end(),
                     [&](const auto& entry) { return entry.second.node == &node; });
}

namespace {

// What an access does to a file, in the sharing mode's own bits.
DWORD UsesOf(DWORD access) {
  DWORD uses = 0;
  if (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) uses |= FILE_SHARE_READ;
  if (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) {
    uses |= FILE_SHARE_WRITE;
  }
  if (access & (GENERIC_ALL | DELETE)) uses |= FILE_SHARE_DELETE;
  return uses;
}

}  // namespace

// Two opens go together when each shares whatever the other one does. An open that
// neither reads, writes nor deletes (attributes only) is never checked, nor checked against.
bool FileSystem::SharingAllows(const FileNode& node, DWORD access, DWORD share) const {
  const DWORD uses = UsesOf(access);
  if (uses == 0) return true;
  const bool held = node.heldOpen || machine().clock.Now() < node.heldUntil;
  if (held) return false;  // another program's open that reads and shares nothing
  return std::none_of(fileHandles_.begin(), fileHandles_.end(), [&](const auto& entry) {
    const OpenedFile& open = entry.second;
    const DWORD openUses = UsesOf(open.access);
    return open.node == &node && ((uses & ~open.share) != 0 || (openUses & ~share) != 0);
  });
}

}  // namespace winsim
