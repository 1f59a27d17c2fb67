#include "settings/code_page.h"

#include <iconv.h>

#include <memory>
#include <string>

namespace tessam {

namespace {

// An iconv descriptor, closed when it goes.
class Converter {
 public:
  explicit Converter(const std::string& from) : handle_(::iconv_open("UTF-16LE", from.c_str())) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (valid()) ::iconv_close(handle_);
  }
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

// iconv refuses what it cannot convert (EILSEQ, and EINVAL for a sequence cut
// off at the end) unless asked to transliterate, so it is strict as it is.
std::optional<std::u16string> Decode(const Converter& converter, std::string_view bytes) {
  if (!converter.valid()) return std::nullopt;
  ::iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  std::string in(bytes), out(bytes.size() * 4 + 4, '\0');  // at most two units of two bytes per byte
  char* from = in.data();
  char* to = out.data();
  std::size_t left = in.size(), room = out.size();
  if (::iconv(converter.get(), &from, &left, &to, &room) == static_cast<std::size_t>(-1) || left != 0) {
    return std::nullopt;
  }
  std::u16string text((out.size() - room) / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                    static_cast<unsigned char>(out[2 * i + 1]) << 8);
  }
  return text;
}

}  // namespace

// One descriptor per code page, as opening one costs far more than a decode;
// so one decoder serves one thread at a time.
CodePage CodePageNumbered(unsigned number) {
  const auto converter =
      std::make_shared<const Converter>(number == 65001 ? "UTF-8" : "CP" + std::to_string(number));
  return {number, [converter](std::string_view bytes) { return Decode(*converter, bytes); }};
}

}  // namespace tessam
