// ppwtool inspect PACKAGE [--json]
#include <iostream>

#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/read_package.h"

namespace ppwtool {

int RunInspect(const InspectArguments& arguments) {
  const auto package = OpenPackage(arguments.package);
  if (!package) return kExitUsage;
  ReportSummary(arguments.package, package->report).Print(std::cout, arguments.json);
  return package->report.sound() ? kExitOk : kExitFailed;
}

}  // namespace ppwtool
