// ppwtool verify PACKAGE PROJECT [--password TEXT] [--json]: the question at
// the machine, whether the package on this stick is the build of this project.
#include <iostream>
#include <string>

#include "tools/ppwtool/arguments.h"
#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"
#include "tools/ppwtool/image_comparison.h"
#include "tools/ppwtool/package_summary.h"
#include "tools/ppwtool/progress.h"
#include "tools/ppwtool/read_package.h"

namespace ppwtool {

namespace {

const char* PasswordText(const ImageComparison& comparison, bool given) {
  if (given) return comparison.passwordBytesDiffer ? "differs from --password" : "matches --password";
  return comparison.passwordBytesDiffer ? "planted (bytes 264..271 differ from the project's)" : "not planted";
}

Summary ComparisonSummary(const ImageComparison& comparison, const PackageReport& report, bool passwordGiven) {
  const std::uint32_t blocks = report.header.programLength / project::kBytesPerBlock;
  const auto& projectBlocks = comparison.projectBlockCount;
  const auto& firstDifference = comparison.firstDifference;
  const std::uint64_t imageEnd = project::kImageOffset + comparison.imageLength;
  std::string projectLength = std::to_string(comparison.projectLength) + " bytes";
  if (comparison.projectTooShort())
    projectLength += " (too short for the image, which ends at " + std::to_string(imageEnd) + ")";
  Summary summary;
  summary
      .Field("image length", "imageLength", std::to_string(comparison.imageLength) + " bytes", comparison.imageLength)
      .Field("project length", "projectLength", projectLength, comparison.projectLength)
      .Field("block count", "projectBlockCount",
             "package " + std::to_string(blocks) + ", project " +
                 (projectBlocks ? std::to_string(*projectBlocks) : "none"),
             projectBlocks ? Json(*projectBlocks) : Json())
      .Field("password", "passwordGiven", PasswordText(comparison, passwordGiven), passwordGiven)
      .Member("passwordBytesDiffer", comparison.passwordBytesDiffer)
      .Field("differing bytes", "differingBytes", comparison.differingBytes);
  if (firstDifference) summary.Row("first difference", "project offset " + std::to_string(*firstDifference));
  return summary.Member("firstDifference", firstDifference ? Json(*firstDifference) : Json());
}

}  // namespace

int RunVerify(const VerifyArguments& arguments) {
  const auto password = arguments.password ? ParsePassword(*arguments.password) : std::nullopt;
  if (arguments.password && !password) return kExitUsage;
  auto package = OpenPackage(arguments.package);
  if (!package) return kExitUsage;
  // A second exclusive open of the same file would fail as if it were held.
  const auto projectPath = ParsePath("project", arguments.project);
  if (!projectPath) return kExitUsage;
  const auto packageIdentity = package->file.Identity();
  if (packageIdentity && packageIdentity == tessam::IdentityOfPath(*projectPath)) {
    std::cerr << "ppwtool: the package and the project are the same file\n";
    return kExitUsage;
  }
  auto project = OpenInput("project", arguments.project);
  if (!project) return kExitUsage;

  const PackageReport& report = package->report;
  // A damaged image proves nothing either way; comparing it would only add noise.
  std::optional<ImageComparison> comparison;
  if (report.sound()) {
    {
      ProgressLine progress;
      // The image is read twice over: from the package and from the project.
      const char* phase = "comparing with the project";
      const std::uint64_t total = 2 * report.payloadBytesPresent;
      comparison = CompareImage(CountedSource(package->Source(), progress, phase, total), report,
                                CountedSource(project->Source(), progress, phase, total), password);
    }
    if (!comparison) {
      // A file that failed no read yet ended early has changed while it was read; either may have.
      const bool projectFailed = project->file.lastError() != tessam::FileError::kNone;
      const bool packageFailed = package->file.lastError() != tessam::FileError::kNone;
      ComplainReadError(projectFailed   ? arguments.project
                        : packageFailed ? arguments.package
                                        : arguments.package + " or " + arguments.project,
                        projectFailed ? project->file : package->file);
      return kExitUsage;
    }
  }
  Summary summary;
  summary.Field("package", "package", arguments.package, arguments.package)
      .Field("project", "project", arguments.project, arguments.project)
      .Member("sound", report.sound())
      .Member("problems", ProblemsJson(report))
      .Nest("comparison",
            comparison ? std::optional(ComparisonSummary(*comparison, report, password.has_value())) : std::nullopt)
      .Member("same", comparison && comparison->same())
      .Row("verdict", !report.sound()      ? "damaged package"
                      : comparison->same() ? "same program"
                                           : "different program");
  AddProblemRows(summary, report);
  summary.Print(std::cout, arguments.json);
  return comparison && comparison->same() ? kExitOk : kExitFailed;
}

}  // namespace ppwtool
