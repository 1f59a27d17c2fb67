// ppwtool inspect PACKAGE [--json]
#include <iostream>

#include "core/package_reader.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/read_package.h"

namespace ppwtool {

int RunInspect(const InspectArguments& arguments) {
  auto file = OpenInputOrComplain("package", arguments.package);
  if (!file) return kExitUsage;
  const auto source = SourceOrComplain(arguments.package, *file);
  if (!source) return kExitUsage;
  const auto report = InspectOrComplain(arguments.package, *source);
  if (!report) return kExitUsage;
  if (arguments.json) {
    PrintJson(std::cout, ReportJson(arguments.package, *report));
  } else {
    PrintReportText(std::cout, arguments.package, *report);
  }
  return report->sound() ? kExitOk : kExitFailed;
}

}  // namespace ppwtool
