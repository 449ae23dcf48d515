#ifndef KESTO_PLAN_ADDRESSFIELD_H
#define KESTO_PLAN_ADDRESSFIELD_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reads one dotted address a user typed (an option, a plan's cell, a form's field).
// Absent text leaves *pdwValue alone and passes; a bad one fails with
// "<sLabel>: "<text>" is not an address (four numbers 0-255)", the label being
// whatever word the caller's user knows the field by ("netmask", "--netmask", "Net Mask").
bool ParseAddressField(const std::optional<std::string>& text, std::string_view sLabel,
                       std::optional<uint32_t>* pdwValue, std::string* psError);

#endif
