// ppwtool inspect PACKAGE [--json]
#include <iostream>

#include "core/package_reader.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/read_package.h"

namespace ppwtool {

int RunInspect(const InspectArguments& arguments) {
  const auto package = OpenPackageOrComplain(arguments.package);
  if (!package) return kExitUsage;
  const tessam::PackageReport& report = package->report;
  if (arguments.json) {
    PrintJson(std::cout, ReportJson(arguments.package, report));
  } else {
    PrintReportText(std::cout, arguments.package, report);
  }
  return report.sound() ? kExitOk : kExitFailed;
}

}  // namespace ppwtool
