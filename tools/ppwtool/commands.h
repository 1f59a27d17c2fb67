#pragma once
// The four subcommands. Each takes its parsed arguments (UTF-8 text) and
// returns the process exit status (see exit_codes.h).
#include <optional>
#include <string>

namespace ppwtool {

struct BuildArguments {
  std::string project;
  std::string package;
  std::optional<std::string> password;  // exactly 8 UTF-16 units when given
};

struct InspectArguments {
  std::string package;
  bool json = false;
};

struct ExtractArguments {
  std::string package;
  std::string image;
  bool force = false;  // write the image even from a damaged package
};

struct VerifyArguments {
  std::string package;
  std::string project;
  std::optional<std::string> password;  // exactly 8 UTF-16 units when given
  bool json = false;
};

int RunBuild(const BuildArguments& arguments);
int RunInspect(const InspectArguments& arguments);
int RunExtract(const ExtractArguments& arguments);
int RunVerify(const VerifyArguments& arguments);

}  // namespace ppwtool
