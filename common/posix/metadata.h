#pragma once

#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "common/platform/platform.h"

namespace velqo {

// What the targets of one run could not keep, each said once however many
// files it concerns.
class NotKeptTally {
 public:
  void Add(const std::string& what);
  // The notes so far, in the order they first came; forgets them.
  std::vector<std::string> Take();

 private:
  std::set<std::string> seen_;
  std::vector<std::string> order_;
};

// Who the process is, asked once by whoever copies: what it may give away.
struct ProcessIds {
  uid_t euid = 0;
  gid_t egid = 0;
  std::vector<gid_t> groups;  // egid and the supplementary groups

  static ProcessIds Current();
  bool Root() const { return euid == 0; }
  bool InGroup(gid_t gid) const;
};

// Gives the file open as out the owner and group of source: both when the
// process is root, the group alone when the process belongs to it.
// Returns whether out now has both of source's ids.
bool CarryOwnership(int out, const struct stat& source, const ProcessIds& ids, NotKeptTally* tally);

// The permission bits source's copy is to have: setuid, setgid and sticky
// only when its owner is kept, since they would hand another user's
// privileges to whoever owns the copy.
mode_t CarriedMode(const struct stat& source, bool owner_kept);

// Owner, extended attributes, ACLs and mode of source (open as in) onto out,
// in the order that keeps each: the owner first (a change of owner clears
// setuid), the mode last (setting an ACL rewrites the permission bits).
// Extended attributes are all but the layer's own marks (user.velqo.*) and
// the system namespace; an ACL is carried as a whole, and a source without
// one (its mode says it all) leaves out with none either, whatever out's
// directory would have it inherit.
void CarryMetadata(int in, int out, const struct stat& source, const CopyFidelity& fidelity, const ProcessIds& ids,
                   NotKeptTally* tally);

// Whether out lacks metadata that CarryMetadata would give it from in (only
// what the process and out's file system can keep counts).
bool MetadataDiffers(int in, int out, const struct stat& source, const struct stat& target,
                     const CopyFidelity& fidelity, const ProcessIds& ids);

// The same for two files named by paths whose last names are never
// followed (a directory handle's path and a name), so that files alike
// cost no opening.
bool MetadataDiffersAt(const std::string& in, const std::string& out, const struct stat& source,
                       const struct stat& target, const CopyFidelity& fidelity, const ProcessIds& ids);

// Whether the extended attribute named so is one of the layer's own marks,
// which say something about one file and are never copied as user data.
bool IsOwnMark(const std::string& name);

}  // namespace velqo
