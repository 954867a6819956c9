#include "common/posix/metadata.h"

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <string_view>

namespace velqo {

namespace {

constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr const char* kDefaultAcl = "system.posix_acl_default";

bool Unsupported(int err) { return err == ENOTSUP || err == EOPNOTSUPP; }

// A file whose attributes are read: open as fd, or (fd < 0) by a path
// whose last name is never followed.
struct AttrSource {
  int fd = -1;
  const char* path = nullptr;
  ssize_t List(char* buffer, std::size_t size) const {
    return fd >= 0 ? flistxattr(fd, buffer, size) : llistxattr(path, buffer, size);
  }
  ssize_t Get(const char* name, void* buffer, std::size_t size) const {
    return fd >= 0 ? fgetxattr(fd, name, buffer, size) : lgetxattr(path, name, buffer, size);
  }
};

// Reads what read gives (a listing or a value) into out; most are short,
// so one call reads them. False with errno.
template <typename Read>
bool ReadWhole(const Read& read, std::string* out) {
  char small[1024];
  const ssize_t n = read(small, sizeof small);
  if (n >= 0) {
    out->assign(small, static_cast<std::size_t>(n));
    return true;
  }
  if (errno != ERANGE) return false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = read(nullptr, 0);
    if (size < 0) return false;
    out->resize(static_cast<std::size_t>(size));
    if (size == 0) return true;
    const ssize_t got = read(out->data(), out->size());
    if (got >= 0) {
      out->resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

// The names of a file's extended attributes, each ending in a zero.
bool ListNames(const AttrSource& from, std::string* names) {
  return ReadWhole([&](char* buffer, std::size_t size) { return from.List(buffer, size); }, names);
}

// The value of one attribute; false with errno (ENODATA: none).
bool ReadValue(const AttrSource& from, const char* name, std::string* value) {
  return ReadWhole([&](char* buffer, std::size_t size) { return from.Get(name, buffer, size); }, value);
}

// Attributes a copy carries as user data: not the layer's marks, and not
// the system namespace, whose ACLs are carried apart.
bool Carried(const std::string& name) { return !IsOwnMark(name) && name.rfind("system.", 0) != 0; }

std::string Namespace(const std::string& name) { return name.substr(0, name.find('.')); }

void NoteSetFailure(const std::string& name, int err, NotKeptTally* tally) {
  if (Unsupported(err)) {
    tally->Add("extended attributes not kept: a target file system keeps none");
  } else if (err == EPERM || err == EACCES) {
    tally->Add(Namespace(name) + ".* attributes not kept: not permitted");
  } else {
    tally->Add("extended attributes not kept: a target file system refused some (" + name + ")");
  }
}

// What one listing tells of a file's attributes: the carried ones by name,
// and its ACLs, which appear by name only when it has more than its mode.
struct XattrSnapshot {
  std::map<std::string, std::string> carried;
  std::string access_acl;
  std::string default_acl;
};

bool Snapshot(const AttrSource& fd, XattrSnapshot* out) {
  std::string names;
  if (!ListNames(fd, &names)) return false;
  for (std::size_t at = 0; at < names.size();) {
    const std::string name(names.data() + at);
    at += name.size() + 1;
    std::string value;
    if (name == kAccessAcl || name == kDefaultAcl) {
      if (ReadValue(fd, name.c_str(), &value)) (name == kAccessAcl ? out->access_acl : out->default_acl) = value;
    } else if (Carried(name) && ReadValue(fd, name.c_str(), &value)) {
      out->carried[name] = std::move(value);
    }
  }
  return true;
}

std::string ProcFd(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

}  // namespace

void NotKeptTally::Add(const std::string& what) {
  if (seen_.insert(what).second) order_.push_back(what);
}

std::vector<std::string> NotKeptTally::Take() {
  seen_.clear();
  return std::exchange(order_, {});
}

ProcessIds ProcessIds::Current() {
  ProcessIds ids;
  ids.euid = geteuid();
  ids.egid = getegid();
  ids.groups.push_back(ids.egid);
  const int n = getgroups(0, nullptr);
  if (n > 0) {
    std::vector<gid_t> more(static_cast<std::size_t>(n));
    const int got = getgroups(n, more.data());
    if (got > 0) ids.groups.insert(ids.groups.end(), more.begin(), more.begin() + got);
  }
  return ids;
}

bool ProcessIds::InGroup(gid_t gid) const { return std::find(groups.begin(), groups.end(), gid) != groups.end(); }

bool IsOwnMark(const std::string& name) { return name.rfind("user.velqo.", 0) == 0; }

bool CarryOwnership(int out, const struct stat& source, const ProcessIds& ids, NotKeptTally* tally) {
  struct stat now;
  if (fstat(out, &now) != 0) return false;
  if (now.st_uid == source.st_uid && now.st_gid == source.st_gid) return true;
  uid_t uid = static_cast<uid_t>(-1);
  gid_t gid = static_cast<gid_t>(-1);
  bool kept = true;
  if (ids.Root()) {
    uid = source.st_uid;
    gid = source.st_gid;
  } else {
    if (source.st_uid != now.st_uid) {
      tally->Add("owners not kept: not running as root");
      kept = false;
    }
    if (source.st_gid != now.st_gid) {
      if (ids.InGroup(source.st_gid)) {
        gid = source.st_gid;
      } else {
        tally->Add("groups not kept: not a member of the group");
        kept = false;
      }
    }
  }
  if (uid == static_cast<uid_t>(-1) && gid == static_cast<gid_t>(-1)) return kept;
  if (fchown(out, uid, gid) != 0) {
    tally->Add("owners not kept: a target file system keeps none");
    return false;
  }
  return kept;
}

mode_t CarriedMode(const struct stat& source, bool owner_kept) {
  return source.st_mode & (owner_kept ? 07777 : 0777);
}

namespace {

void CarryXattrs(const XattrSnapshot& wanted, const XattrSnapshot* present, int out, NotKeptTally* tally) {
  if (present == nullptr) {
    if (!wanted.carried.empty()) tally->Add("extended attributes not kept: a target file system keeps none");
    return;
  }
  // Only user data the source no longer has goes; what the system gives
  // every new file (security labels) stays.
  for (const auto& [name, value] : present->carried) {
    if (wanted.carried.count(name) == 0 && (name.rfind("user.", 0) == 0 || name.rfind("trusted.", 0) == 0)) {
      fremovexattr(out, name.c_str());
    }
  }
  for (const auto& [name, value] : wanted.carried) {
    auto it = present->carried.find(name);
    if (it != present->carried.end() && it->second == value) continue;
    if (fsetxattr(out, name.c_str(), value.data(), value.size(), 0) != 0) NoteSetFailure(name, errno, tally);
  }
}

void CarryAcls(int in, int out, const XattrSnapshot& wanted, const XattrSnapshot* present, bool directories,
               NotKeptTally* tally) {
  const bool has_access = present != nullptr && !present->access_acl.empty();
  if (!wanted.access_acl.empty()) {
    const acl_t acl = acl_get_fd(in);
    if (acl == nullptr || present == nullptr || acl_set_fd(out, acl) != 0) {
      tally->Add("ACLs not kept: a target file system keeps none");
    }
    if (acl != nullptr) acl_free(acl);
  } else if (has_access) {
    // Inherited from a default ACL of the target's directory: the source's
    // mode alone is to hold.
    fremovexattr(out, kAccessAcl);
  }
  if (!directories) return;
  const bool has_default = present != nullptr && !present->default_acl.empty();
  if (!wanted.default_acl.empty()) {
    const acl_t acl = acl_get_file(ProcFd(in).c_str(), ACL_TYPE_DEFAULT);
    if (acl == nullptr || present == nullptr || acl_set_file(ProcFd(out).c_str(), ACL_TYPE_DEFAULT, acl) != 0) {
      tally->Add("ACLs not kept: a target file system keeps none");
    }
    if (acl != nullptr) acl_free(acl);
  } else if (has_default) {
    fremovexattr(out, kDefaultAcl);
  }
}

}  // namespace

void CarryMetadata(int in, int out, const struct stat& source, const CopyFidelity& fidelity, const ProcessIds& ids,
                   NotKeptTally* tally) {
  const bool owner_kept = CarryOwnership(out, source, ids, tally);
  XattrSnapshot wanted;
  // One listing of each side serves the attributes and the ACLs; a source
  // file system without attributes has none to give.
  if ((fidelity.xattrs || fidelity.acls) && Snapshot(AttrSource{in}, &wanted)) {
    XattrSnapshot present;
    const XattrSnapshot* target = Snapshot(AttrSource{out}, &present) ? &present : nullptr;
    if (fidelity.xattrs) CarryXattrs(wanted, target, out, tally);
    if (fidelity.acls) CarryAcls(in, out, wanted, target, S_ISDIR(source.st_mode), tally);
  }
  if (fchmod(out, CarriedMode(source, owner_kept)) != 0) {
    tally->Add("modes not kept: a target file system keeps none");
  }
}

namespace {

bool Differs(const AttrSource& in, const AttrSource& out, const struct stat& source, const struct stat& target,
             const CopyFidelity& fidelity, const ProcessIds& ids) {
  const bool uid_kept = ids.Root() || source.st_uid == target.st_uid;
  const bool gid_kept = ids.Root() || source.st_gid == target.st_gid || ids.InGroup(source.st_gid);
  if (uid_kept && source.st_uid != target.st_uid) return true;
  if (gid_kept && source.st_gid != target.st_gid) return true;
  if ((target.st_mode & 07777) != CarriedMode(source, uid_kept && gid_kept)) return true;
  if (!fidelity.xattrs && !fidelity.acls) return false;
  XattrSnapshot wanted;
  XattrSnapshot present;
  // A file system without attributes on either side has nothing to carry.
  if (!Snapshot(in, &wanted) || !Snapshot(out, &present)) return false;
  if (fidelity.xattrs && wanted.carried != present.carried) return true;
  return fidelity.acls && (wanted.access_acl != present.access_acl || wanted.default_acl != present.default_acl);
}

}  // namespace

bool MetadataDiffers(int in, int out, const struct stat& source, const struct stat& target,
                     const CopyFidelity& fidelity, const ProcessIds& ids) {
  return Differs(AttrSource{in}, AttrSource{out}, source, target, fidelity, ids);
}

bool MetadataDiffersAt(const std::string& in, const std::string& out, const struct stat& source,
                       const struct stat& target, const CopyFidelity& fidelity, const ProcessIds& ids) {
  return Differs(AttrSource{-1, in.c_str()}, AttrSource{-1, out.c_str()}, source, target, fidelity, ids);
}

}  // namespace velqo
