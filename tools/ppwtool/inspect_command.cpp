// ppwtool inspect PACKAGE [--json]
#include <iostream>

#include "core/package_reader.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/read_package.h"

namespace ppwtool {

int RunInspect(const InspectArguments& arguments) {
  const auto bytes = ReadPackageOrComplain(arguments.package);
  if (!bytes) return kExitUsage;
  const tessam::PackageReport report = tessam::InspectPackage(*bytes);
  if (arguments.json) {
    PrintReportJson(std::cout, arguments.package, report);
  } else {
    PrintReportText(std::cout, arguments.package, report);
  }
  return report.sound() ? kExitOk : kExitFailed;
}

}  // namespace ppwtool
