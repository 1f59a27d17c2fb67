// Arguments arrive as the bytes the shell passed; ppwtool treats them as UTF-8.
#include <csignal>
#include <string>
#include <vector>

#include "tools/ppwtool/cli.h"

int main(int argc, char** argv) {
  // Past a file-size limit (ulimit -f) the write fails like any other failed
  // write and is cleaned up, instead of the signal killing the process.
  std::signal(SIGXFSZ, SIG_IGN);
  // A reader that went away (`ppwtool inspect V.PPW | head -1`) makes the next
  // write fail with EPIPE, reported like a full disk, instead of killing the
  // process without a word.
  std::signal(SIGPIPE, SIG_IGN);
  return ppwtool::RunPpwtool(std::vector<std::string>(argv, argv + argc));
}
