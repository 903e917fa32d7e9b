#pragma once
// The remote control's secrets: the six-digit PIN a person types and the session tokens browsers and
// scripts carry, both from the kernel's random source; and their comparison, which takes the same
// time wherever two secrets differ.
#include <string>
#include <string_view>

namespace pavo::remote {

// Six decimal digits, uniformly drawn ("004211" is as likely as any other).
std::string MakePin();
// 256 random bits as 64 lowercase hex digits.
std::string MakeToken();
// Equal texts; the time taken depends on the lengths only, never on where the texts differ.
bool SameSecret(std::string_view a, std::string_view b);
// Six decimal digits.
bool IsPinForm(std::string_view pin);

}  // namespace pavo::remote
