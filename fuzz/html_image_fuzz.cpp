// Image data of any kind through the sniffing, the still decoders, the transparency probe
// and the animated GIF reader, with a few animation steps: nothing may read past the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "html/core/fixed_metrics_host.h"
#include "html/core/gif_anim.h"
#include "html/core/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  auto* copy = static_cast<std::uint8_t*>(std::malloc(Size ? Size : 1));
  if (Size) std::memcpy(copy, Data, Size);
  (void)ImageTypeFromHeader(copy, Size);
  std::uint32_t color;
  (void)GifTransparentColor(copy, Size, color);
  int transparent = 1;
  if (auto pic = LoadImageData(copy, Size, transparent))
    if (pic->Pixels.size() != std::size_t(pic->Width) * pic->Height) std::abort();
  bool nonAnimated = true;
  if (auto anim = TGifAnimImage::CreateFromData(copy, Size, nonAnimated)) {
    auto second = anim->CreateCopy();
    anim->SetAnimate(true, 0);
    for (std::uint32_t t = 50; t <= 1000; t += 50) anim->CheckTime(t);
    second->SetCurrentFrame(anim->NumFrames);
    TFixedMetricsHost host;
    anim->Visible = true;
    anim->Draw(host, 0, 0, anim->Width, anim->Height);
  }
  std::free(copy);
  return 0;
}
