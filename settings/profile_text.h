#pragma once
// A value looked up in the text of a "config.cfg" that Windows' private-profile
// functions cannot read (see text_form.h), as those functions would look it up.
#include <string>
#include <string_view>

namespace tessam {

// The value of `key` in the first section named `section`, as the profile
// functions give it: names matched without regard to case, blanks around names
// and value dropped, and a pair of quotes around the value too. Empty when
// there is no such key.
std::u16string ProfileValue(std::u16string_view text, std::u16string_view section, std::u16string_view key);

}  // namespace tessam
