#pragma once
// One fuzz input for the field value parser, shared by the libFuzzer target and the corpus replay test.
// Input: "PATH=TEXT": the field with that path (or, when there is none, the one the path's bytes pick)
// and what a person or a remote typed for it. The text goes in as text, as a typed text, as a typed
// number with the rest of the text for its unit, and its first eight bytes as the bits of a double
// (every NaN, infinity and denormal); a typed boolean goes in too. Whatever comes in, a refusal says
// why and names the field, and a code that comes out lies in the field's range and prints and reads
// back, in text, raw and typed form, as the same code.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "model/FieldCatalog.h"
#include "model/FieldValue.h"

namespace pavo::fuzz {

inline const FieldInfo& FieldNamed(std::string_view path) {
    if (const FieldInfo* f = FindField(path)) return *f;
    uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : path) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    return Fields()[hash % Fields().size()];
}

inline void CheckOutcome(const FieldInfo& f, const std::optional<uint32_t>& code, const std::string& error) {
    if (!code) {
        if (error.rfind(f.path + ": ", 0) != 0) std::abort();
        return;
    }
    if (!InRange(f, *code)) std::abort();
    if (ParseCode(f, FormatCode(f, *code)) != code) std::abort();
    if (ParseCode(f, "code:" + std::to_string(*code)) != code) std::abort();
    if (CodeOfTypedValue(f, TypedValueOf(f, *code)) != code) std::abort();
}

inline void FieldValueOnce(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t equals = input.find('=');
    const std::string_view path =
        equals == std::string_view::npos ? std::string_view() : input.substr(0, equals);
    const std::string text(equals == std::string_view::npos ? input : input.substr(equals + 1));
    const FieldInfo& f = FieldNamed(path);

    const auto check = [&](auto parse) {
        std::string error;
        const std::optional<uint32_t> code = parse(&error);
        CheckOutcome(f, code, error);
    };
    check([&](std::string* e) { return ParseCode(f, text, e); });
    check([&](std::string* e) { return CodeOfTypedValue(f, TypedValue::OfText(text), e); });
    check([&](std::string* e) { return CodeOfTypedValue(f, TypedValue::OfBoolean(size % 2 == 1), e); });
    double number = 0;
    const std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), number);
    if (read.ec == std::errc()) {
        const std::string unit(read.ptr, text.data() + text.size());
        check([&](std::string* e) { return CodeOfTypedValue(f, TypedValue::OfNumber(number, unit), e); });
    }
    if (text.size() >= sizeof(double)) {
        std::memcpy(&number, text.data(), sizeof number);
        check([&](std::string* e) { return CodeOfTypedValue(f, TypedValue::OfNumber(number), e); });
        check([&](std::string* e) { return CodeOfNumber(f, number, e); });
    }
}

}  // namespace pavo::fuzz
