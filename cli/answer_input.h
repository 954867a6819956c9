#pragma once

#include <functional>
#include <streambuf>

namespace velqo::cli {

// Standard input for the answers to questions. A plain std::cin would sit in
// read() through a Ctrl-C (the handler restarts it), so a question could not
// be cancelled; this buffer waits in poll(), which a signal always ends, and
// then reports end of input while interrupted() holds. The caller clears
// the stream and reads on after handling the interrupt.
class AnswerInput : public std::streambuf {
 public:
  AnswerInput(int fd, std::function<bool()> interrupted);

 protected:
  int_type underflow() override;

 private:
  int fd_;
  std::function<bool()> interrupted_;
  char buffer_[4096];
};

}  // namespace velqo::cli
