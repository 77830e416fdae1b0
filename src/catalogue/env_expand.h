#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Value of an environment variable, or nothing where it is unknown.
using VariableLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Replaces each "%NAME%" whose NAME `lookup` knows; unknown ones stay as written.
std::string expandVariables(std::string_view text, const VariableLookup& lookup);

// The variables of a server read from a copy of its drive: those of a default
// installation (%SystemDrive% is C:, %SystemRoot% and %windir% C:\Windows).
std::optional<std::string> standardServerVariable(std::string_view name);

}  // namespace tarnwick
