#include "config/file_problem.h"

#include "common/platform/attributes.h"

namespace velqo {

std::string DescribeFileProblem(Platform& fs, std::string_view path, const Status& status,
                                std::uint64_t size_limit) {
  std::uint32_t attributes = 0;
  // Asked of the entry itself: the refused link is the likeliest cause of
  // an access failure on a file that exists.
  if (fs.GetAttributes(path, &attributes).ok()) {
    if ((attributes & kAttrReparsePoint) != 0) return "It Is A Symbolic Link";
    if ((attributes & kAttrDirectory) != 0) return "It Is A Directory";
  }
  switch (status.code()) {
    case Status::Code::kTooLarge:
      return "It Is Larger Than " + std::to_string(size_limit >> 20) + " MiB";
    case Status::Code::kFileNotFound:
    case Status::Code::kPathNotFound:
      return "Its Directory Does Not Exist";
    case Status::Code::kAccessDenied:
      return "Access Is Denied";
    case Status::Code::kNoSpace:
      return "The Disk Is Full";
    case Status::Code::kTooLong:
      return "Its Path Is Too Long";
    default:
      return "A Read Or Write Error Occurred";
  }
}

std::string FileProblemMessage(std::string_view what, std::string_view path,
                               std::string_view reason, std::string_view consequence) {
  std::string text = "The ";
  text += what;
  text += ' ';
  text += path;
  text += " Cannot Be Used (";
  text += reason;
  text += "). ";
  text += consequence;
  return text;
}

}  // namespace velqo
