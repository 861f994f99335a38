// Wildcard masks for selecting panel items by a typed mask. Both texts may hold "*" (any
// run, also empty) and "?" (any one character), so two masks match when some name could
// fit both. Characters compare exactly; callers fold case themselves when they want to.
#pragma once

#include <string>
#include <string_view>

// Every run of wildcards that holds a "*" becomes its "?"s followed by one "*" ("**" is
// "*", "*?" and "?*" are "?*": one character or more); runs of "?" alone stay.
std::string NormalizeMask(std::string_view Text);

bool MatchesMask(std::string_view Name, std::string_view Mask);
