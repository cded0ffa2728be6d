#pragma once
// The shell completions of kestrova-cli, made from its option table: commands, each
// command's options, what each option's value is, zones, and the zone's selectors.
#include <QString>

[[nodiscard]] QString bashCompletion();
[[nodiscard]] QString zshCompletion();
[[nodiscard]] QString fishCompletion();
