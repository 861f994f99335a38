// TCPUID: the processor's identification as the processor reports it (vendor, brand text,
// family and model) and its clock rate, measured once when first asked.
#pragma once

#include <string>

#include "classlib/core/component.h"

class TCPUID : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCPUID(TComponent* AOwner);

  // The brand text ("" when the processor has none); the vendor ("GenuineIntel").
  const std::string& ProcessorDescription() const { return FDescription; }
  const std::string& ProcessorVendor() const { return FVendor; }
  // Family and model with their extended parts added, as the vendors define them.
  int ProcessorFamily() const { return FFamily; }
  int ProcessorModel() const { return FModel; }
  // The time-stamp counter's rate over a short interval, in MHz (0 where there is none).
  double ProcessorSpeed() const;

private:
  std::string FDescription, FVendor;
  int FFamily = 0, FModel = 0;
  mutable double FSpeed = -1;
};

void RegisterCPUID();
