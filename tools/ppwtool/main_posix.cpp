// Arguments arrive as the bytes the shell passed; ppwtool treats them as UTF-8.
#include <string>
#include <vector>

#include "tools/ppwtool/cli.h"

int main(int argc, char** argv) {
  return ppwtool::RunPpwtool(std::vector<std::string>(argv, argv + argc));
}
