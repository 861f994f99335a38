// Helpers of the component library that need no window: resource texts and the range and
// position of any progress control, set through its published properties.
#pragma once

#include <cstdint>
#include <string>

class TObject;

// The text unchanged: every text the library raises passes through here.
std::string ResStr(const std::string& Text);

// Set the maximum, minimum or position of a progress control: a TProgressBar ("Max",
// "Min", "Position"), a TGauge ("MaxValue", "MinValue", "Progress") or a descendant of
// either. False, and nothing set, for no control, another class or a missing property.
bool SetProgressMax(TObject* Control, int32_t MaxValue);
bool SetProgressMin(TObject* Control, int32_t MinValue);
bool SetProgressValue(TObject* Control, int32_t ProgressValue);
