// ppwtool inspect PACKAGE [--json]
#include <iostream>

#include "core/package_reader.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/utf.h"

namespace ppwtool {

int RunInspect(const InspectArguments& arguments) {
  const auto bytes = tessam::ReadWholeFile(PathFromUtf8(arguments.package));
  if (!bytes) {
    std::cerr << "ppwtool: cannot read " << arguments.package << "\n";
    return kExitUsage;
  }
  const tessam::PackageReport report = tessam::InspectPackage(*bytes);
  if (arguments.json) {
    PrintReportJson(std::cout, arguments.package, report);
  } else {
    PrintReportText(std::cout, arguments.package, report);
  }
  return report.sound() ? kExitOk : kExitFailed;
}

}  // namespace ppwtool
