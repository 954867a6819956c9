#include "cli/answer_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace velqo::cli {

AnswerInput::AnswerInput(int fd, std::function<bool()> interrupted)
    : fd_(fd), interrupted_(std::move(interrupted)) {
  setg(buffer_, buffer_, buffer_);
}

AnswerInput::int_type AnswerInput::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  for (;;) {
    pollfd wait = {fd_, POLLIN, 0};
    if (poll(&wait, 1, -1) < 0) {
      if (errno == EINTR && !interrupted_()) continue;
      return traits_type::eof();
    }
    const ssize_t n = read(fd_, buffer_, sizeof buffer_);
    if (n < 0 && errno == EINTR && !interrupted_()) continue;
    if (n <= 0) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(*gptr());
  }
}

}  // namespace velqo::cli
