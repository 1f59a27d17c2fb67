// ppwtool verify PACKAGE PROJECT [--password TEXT] [--json]
//
// The question at the machine: is the package on this stick the build of this
// project? The package is checked as inspect checks it, then its image is
// compared with the project's bytes from offset 256.
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

using tessam::PackageReport;

const char* PasswordText(const ImageComparison& comparison, bool given) {
  if (given) return comparison.passwordBytesDiffer ? "differs from --password" : "matches --password";
  return comparison.passwordBytesDiffer ? "planted (bytes 264..271 differ from the project's)" : "not planted";
}

std::string Verdict(const PackageReport& report, const ImageComparison* comparison) {
  if (!report.sound()) return "damaged package";
  return comparison->same() ? "same program" : "different program";
}

void PrintText(const VerifyArguments& arguments, const PackageReport& report,
               const ImageComparison* comparison) {
  auto row = [](const char* label, const std::string& value) { PrintRow(std::cout, label, value); };
  row("package", arguments.package);
  row("project", arguments.project);
  if (comparison) {
    const std::uint32_t blocks = report.header.programLength / tessam::project::kBytesPerBlock;
    row("image length", std::to_string(comparison->imageLength) + " bytes");
    std::string projectLength = std::to_string(comparison->projectLength) + " bytes";
    if (comparison->projectTooShort()) {
      const std::uint64_t imageEnd = tessam::project::kImageOffset + comparison->imageLength;
      projectLength += " (too short for the image, which ends at " + std::to_string(imageEnd) + ")";
    }
    const auto& projectBlocks = comparison->projectBlockCount;
    row("project length", projectLength);
    row("block count", "package " + std::to_string(blocks) + ", project " +
                           (projectBlocks ? std::to_string(*projectBlocks) : "none"));
    row("password", PasswordText(*comparison, arguments.password.has_value()));
    row("differing bytes", std::to_string(comparison->differingBytes));
    if (comparison->firstDifference) {
      row("first difference", "project offset " + std::to_string(*comparison->firstDifference));
    }
  }
  row("verdict", Verdict(report, comparison));
  for (tessam::PackageProblem problem : report.problems) row("problem", DescribeProblem(report, problem));
}

void PrintJsonReport(const VerifyArguments& arguments, const PackageReport& report,
                     const ImageComparison* comparison) {
  Json json;
  json["package"] = arguments.package;
  json["project"] = arguments.project;
  json["sound"] = report.sound();
  json["problems"] = ProblemsJson(report);
  json["comparison"] = nullptr;
  if (comparison) {
    json["comparison"] = Json{
        {"imageLength", comparison->imageLength},
        {"projectLength", comparison->projectLength},
        {"projectBlockCount", comparison->projectBlockCount ? Json(*comparison->projectBlockCount) : Json()},
        {"passwordGiven", arguments.password.has_value()},
        {"passwordBytesDiffer", comparison->passwordBytesDiffer},
        {"differingBytes", comparison->differingBytes},
        {"firstDifference", comparison->firstDifference ? Json(*comparison->firstDifference) : Json()},
    };
  }
  json["same"] = comparison && comparison->same();
  PrintJson(std::cout, json);
}

}  // namespace

int RunVerify(const VerifyArguments& arguments) {
  std::optional<tessam::BuildRequest::Password> password;
  if (arguments.password) {
    password = ParsePassword(*arguments.password);
    if (!password) return kExitUsage;
  }
  auto packageFile = OpenInputOrComplain("package", arguments.package);
  if (!packageFile) return kExitUsage;
  // The second exclusive open of one file would fail as if another program
  // held it; say what is really wrong.
  const auto projectPath = ParsePath("project", arguments.project);
  const auto packageIdentity = packageFile->Identity();
  if (projectPath && packageIdentity && packageIdentity == tessam::IdentityOfPath(*projectPath)) {
    std::cerr << "ppwtool: the package and the project are the same file\n";
    return kExitUsage;
  }
  auto projectFile = OpenInputOrComplain("project", arguments.project);
  if (!projectFile) return kExitUsage;
  const auto package = SourceOrComplain(arguments.package, *packageFile);
  const auto project = SourceOrComplain(arguments.project, *projectFile);
  if (!package || !project) return kExitUsage;

  const auto report = InspectOrComplain(arguments.package, *package);
  if (!report) return kExitUsage;
  // A damaged image proves nothing either way; comparing it would only add noise.
  std::optional<ImageComparison> comparison;
  if (report->sound()) {
    {
      ProgressLine progress;
      // The image is read twice over: from the package and from the project.
      const char* phase = "comparing with the project";
      const std::uint64_t total = 2 * report->payloadBytesPresent;
      comparison = CompareImage(CountedSource(*package, progress, phase, total), *report,
                                CountedSource(*project, progress, phase, total), password);
    }
    if (!comparison) {
      std::cerr << "ppwtool: cannot read " << arguments.package << " or " << arguments.project
                << ": read error\n";
      return kExitUsage;
    }
  }
  const ImageComparison* compared = comparison ? &*comparison : nullptr;
  if (arguments.json) {
    PrintJsonReport(arguments, *report, compared);
  } else {
    PrintText(arguments, *report, compared);
  }
  return compared && compared->same() ? kExitOk : kExitFailed;
}

}  // namespace ppwtool
