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

bool IsRoot() {
  static const bool root = geteuid() == 0;
  return root;
}

bool InGroup(gid_t gid) {
  static const std::vector<gid_t> groups = [] {
    std::vector<gid_t> all(1, getegid());
    const int n = getgroups(0, nullptr);
    if (n > 0) {
      std::vector<gid_t> more(static_cast<std::size_t>(n));
      const int got = getgroups(n, more.data());
      if (got > 0) all.insert(all.end(), more.begin(), more.begin() + got);
    }
    return all;
  }();
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

bool Unsupported(int err) { return err == ENOTSUP || err == EOPNOTSUPP; }

// The names of fd's extended attributes, each ending in a zero; false with
// errno when they cannot be listed.
bool ListNames(int fd, std::vector<char>* names) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = flistxattr(fd, nullptr, 0);
    if (size < 0) return false;
    names->resize(static_cast<std::size_t>(size));
    if (size == 0) return true;
    const ssize_t got = flistxattr(fd, names->data(), names->size());
    if (got >= 0) {
      names->resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

// The value of one attribute; false with errno (ENODATA: none).
bool ReadValue(int fd, const char* name, std::string* value) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = fgetxattr(fd, name, nullptr, 0);
    if (size < 0) return false;
    value->resize(static_cast<std::size_t>(size));
    if (size == 0) return true;
    const ssize_t got = fgetxattr(fd, name, value->data(), value->size());
    if (got >= 0) {
      value->resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

// Attributes a copy carries as user data: not the layer's marks, and not
// the system namespace, whose ACLs are carried apart.
bool Carried(const std::string& name) { return !IsOwnMark(name) && name.rfind("system.", 0) != 0; }

// The carried attributes of fd by name; false with errno when unreadable.
bool CarriedXattrs(int fd, std::map<std::string, std::string>* out) {
  std::vector<char> names;
  if (!ListNames(fd, &names)) return false;
  for (std::size_t at = 0; at < names.size();) {
    const std::string name(names.data() + at);
    at += name.size() + 1;
    std::string value;
    if (Carried(name) && ReadValue(fd, name.c_str(), &value)) (*out)[name] = std::move(value);
  }
  return true;
}

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

// What a comparison looks at of one file's attributes, from one listing:
// the ACLs appear in it by name only when a file has more than its mode.
struct XattrSnapshot {
  std::map<std::string, std::string> carried;
  std::string access_acl;
  std::string default_acl;
};

bool Snapshot(int fd, XattrSnapshot* out) {
  std::vector<char> names;
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

void CarryDefaultAcl(int in, int out, NotKeptTally* tally) {
  const acl_t acl = acl_get_file(ProcFd(in).c_str(), ACL_TYPE_DEFAULT);
  if (acl == nullptr) return;  // a source file system without ACLs
  const bool empty = acl_entries(acl) <= 0;
  const int rc = empty ? acl_delete_def_file(ProcFd(out).c_str())
                       : acl_set_file(ProcFd(out).c_str(), ACL_TYPE_DEFAULT, acl);
  if (rc != 0 && !empty) tally->Add("ACLs not kept: a target file system keeps none");
  acl_free(acl);
}

}  // namespace

void NotKeptTally::Add(const std::string& what) {
  if (seen_.insert(what).second) order_.push_back(what);
}

std::vector<std::string> NotKeptTally::Take() {
  seen_.clear();
  return std::exchange(order_, {});
}

bool IsOwnMark(const std::string& name) { return name.rfind("user.velqo.", 0) == 0; }

bool CarryOwnership(int out, const struct stat& source, NotKeptTally* tally) {
  struct stat now;
  if (fstat(out, &now) != 0) return false;
  if (now.st_uid == source.st_uid && now.st_gid == source.st_gid) return true;
  uid_t uid = static_cast<uid_t>(-1);
  gid_t gid = static_cast<gid_t>(-1);
  bool kept = true;
  if (IsRoot()) {
    uid = source.st_uid;
    gid = source.st_gid;
  } else {
    if (source.st_uid != now.st_uid) {
      tally->Add("owners not kept: not running as root");
      kept = false;
    }
    if (source.st_gid != now.st_gid) {
      if (InGroup(source.st_gid)) {
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

void CarryXattrs(int in, int out, NotKeptTally* tally) {
  std::map<std::string, std::string> wanted;
  if (!CarriedXattrs(in, &wanted)) return;  // a source file system without them
  std::map<std::string, std::string> present;
  if (!CarriedXattrs(out, &present)) {
    if (!wanted.empty()) tally->Add("extended attributes not kept: a target file system keeps none");
    return;
  }
  // Only user data the source no longer has goes; what the system gives
  // every new file (security labels) stays.
  for (const auto& [name, value] : present) {
    if (wanted.count(name) == 0 && (name.rfind("user.", 0) == 0 || name.rfind("trusted.", 0) == 0)) {
      fremovexattr(out, name.c_str());
    }
  }
  for (const auto& [name, value] : wanted) {
    auto it = present.find(name);
    if (it != present.end() && it->second == value) continue;
    if (fsetxattr(out, name.c_str(), value.data(), value.size(), 0) != 0) NoteSetFailure(name, errno, tally);
  }
}

void CarryAcls(int in, int out, bool directories, NotKeptTally* tally) {
  const int extended = acl_extended_fd(in);
  if (extended < 0) return;  // a source file system without ACLs
  if (extended == 1) {
    const acl_t acl = acl_get_fd(in);
    if (acl != nullptr) {
      if (acl_set_fd(out, acl) != 0) tally->Add("ACLs not kept: a target file system keeps none");
      acl_free(acl);
    }
  } else if (fremovexattr(out, kAccessAcl) != 0) {
    // None to remove (ENODATA), or none possible: the mode says it all.
  }
  if (directories) CarryDefaultAcl(in, out, tally);
}

void CarryMetadata(int in, int out, const struct stat& source, const CopyFidelity& fidelity, NotKeptTally* tally) {
  const bool owner_kept = CarryOwnership(out, source, tally);
  if (fidelity.xattrs) CarryXattrs(in, out, tally);
  if (fidelity.acls) CarryAcls(in, out, S_ISDIR(source.st_mode), tally);
  if (fchmod(out, CarriedMode(source, owner_kept)) != 0) {
    tally->Add("modes not kept: a target file system keeps none");
  }
}

bool MetadataDiffers(int in, int out, const struct stat& source, const struct stat& target,
                     const CopyFidelity& fidelity) {
  const bool uid_kept = IsRoot() || source.st_uid == target.st_uid;
  const bool gid_kept = IsRoot() || source.st_gid == target.st_gid || InGroup(source.st_gid);
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

}  // namespace velqo
