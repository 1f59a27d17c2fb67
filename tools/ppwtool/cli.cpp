#include "tools/ppwtool/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "tools/ppwtool/commands.h"
#include "tools/ppwtool/exit_codes.h"

namespace ppwtool {

namespace {

// Kept in step with the EXIT STATUS section of ppwtool.1.
constexpr const char* kExitStatusText =
    "Exit status:\n"
    "  0  build: package written; inspect: package sound; extract: image written;\n"
    "     verify: the package holds the build of the project\n"
    "  1  build: package not written (one line on stderr names the reason);\n"
    "     inspect: package damaged (every problem is listed);\n"
    "     extract: package damaged and --force not given, or no header at all;\n"
    "     verify: a different program (first differing project offset and count\n"
    "     of differing bytes shown) or a damaged package\n"
    "  2  usage error, a file that cannot be read, or an image that cannot be written\n"
    "Paths must be valid UTF-8 text; any other name is a usage error.\n"
    "When standard error is a terminal (a console on Windows), long steps show\n"
    "their phase and percentage there on one line, updated in place and cleared\n"
    "before the final message; otherwise nothing more is printed.\n";

CLI::App* AddBuild(CLI::App& app, BuildArguments& arguments) {
  CLI::App* build = app.add_subcommand(
      "build", "Build a package from a GX Developer project file (.pmw), as the Tessam dialog does.");
  build->add_option("PROJECT", arguments.project, "Project file to read (opened exclusively)")->required();
  build->add_option("PACKAGE", arguments.package,
                    "Package file to write, e.g. E:\\VANTU.PPW (replaced if it exists)")
      ->required();
  build->add_option("--password", arguments.password, "Plant this 8-character password in the image (bytes 8..15)");
  build->footer("Exit status: 0 written, 1 not written (reason on stderr), 2 usage error.");
  return build;
}

CLI::App* AddInspect(CLI::App& app, InspectArguments& arguments) {
  CLI::App* inspect = app.add_subcommand(
      "inspect", "Print every header field, the scramble key, both checksums and a verdict.");
  inspect->add_option("PACKAGE", arguments.package, "Package file to check")->required();
  inspect->add_flag("--json", arguments.json, "Print one JSON object instead of a table");
  inspect->footer("Exit status: 0 sound, 1 damaged (every problem listed), 2 unreadable or usage error.");
  return inspect;
}

CLI::App* AddExtract(CLI::App& app, ExtractArguments& arguments) {
  CLI::App* extract = app.add_subcommand(
      "extract", "Check a package like inspect, then write its unscrambled program image.");
  extract->add_option("PACKAGE", arguments.package, "Package file to read")->required();
  extract->add_option("IMAGE", arguments.image,
                      "File to write the program image to (an old one is replaced only by a complete image)")
      ->required();
  extract->add_flag("--force", arguments.force, "Extract even from a damaged package (problems go to stderr)");
  extract->footer(
      "Exit status: 0 written, 1 damaged and not written (or no header), "
      "2 unreadable package, unwritable image or usage error.");
  return extract;
}

CLI::App* AddVerify(CLI::App& app, VerifyArguments& arguments) {
  CLI::App* verify = app.add_subcommand(
      "verify", "Tell whether a package holds the build of a project: check it like inspect, then "
                "compare its image with the project's bytes from offset 256.");
  verify->add_option("PACKAGE", arguments.package, "Package file to check, e.g. E:\\VANTU.PPW")->required();
  verify->add_option("PROJECT", arguments.project, "Project file (.pmw) it should have been built from")
      ->required();
  verify->add_option("--password", arguments.password,
                     "The 8-character password that must be planted (bytes 264..271); without it those "
                     "bytes are left out and the report says whether a password was planted");
  verify->add_flag("--json", arguments.json, "Print one JSON object instead of a table");
  verify->footer(
      "Exit status: 0 same program, 1 different program or damaged package, "
      "2 unreadable file or usage error.");
  return verify;
}

int Dispatch(const std::vector<std::string>& arguments) {
  CLI::App app("Builds, checks, unpacks and verifies Tessam download packages (VANTU.PPW).", "ppwtool");
  app.set_version_flag("--version", PPWTOOL_VERSION, "Print the version and exit");
  app.require_subcommand(1);
  app.footer(kExitStatusText);

  BuildArguments build;
  InspectArguments inspect;
  ExtractArguments extract;
  VerifyArguments verify;
  CLI::App* buildCommand = AddBuild(app, build);
  CLI::App* inspectCommand = AddInspect(app, inspect);
  CLI::App* extractCommand = AddExtract(app, extract);
  CLI::App* verifyCommand = AddVerify(app, verify);

  // CLI11 takes the arguments after the program name, last one first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  if (!reversed.empty()) reversed.pop_back();
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    // The top-level help shows every subcommand with its options.
    const bool topLevel = app.get_subcommands().empty();
    std::cout << (topLevel ? app.help("", CLI::AppFormatMode::All) : app.help());
    return kExitOk;
  } catch (const CLI::ParseError& error) {
    // The rest of the help and the version exit 0, like help; the rest is misuse.
    return app.exit(error) == 0 ? kExitOk : kExitUsage;
  }

  if (buildCommand->parsed()) return RunBuild(build);
  if (inspectCommand->parsed()) return RunInspect(inspect);
  if (extractCommand->parsed()) return RunExtract(extract);
  if (verifyCommand->parsed()) return RunVerify(verify);
  return kExitUsage;  // unreachable: exactly one subcommand is required
}

// Output that never arrived is a failure, as for cat: a report piped into a
// full disk must not pass for a report written.
int CheckStandardOutput(int status) {
  errno = 0;
  std::cout.flush();
  if (std::cout && std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int error = errno;
  std::cerr << "ppwtool: cannot write to standard output" << (error ? ": " : "")
            << (error ? std::strerror(error) : "") << "\n";
  return kExitUsage;
}

}  // namespace

int RunPpwtool(const std::vector<std::string>& arguments) { return CheckStandardOutput(Dispatch(arguments)); }

}  // namespace ppwtool
