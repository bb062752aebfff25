// WebP through libwebp: still pictures, decoded straight into the bitmap's
// rows; animations are not decoded.
#include <webp/decode.h>
#include <webp/encode.h>

#include <cstring>

#include "platform/imagelib/codec.h"

namespace tk::img::detail {

bool WebpAccepts(BitmapType type) { return type == kBgr || type == kRgb || type == kBgra || type == kRgba; }

int DecodeWebp(const uint8_t* data, std::size_t size, const LoadParams& params, Bitmap* out, FileInfo& info) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) return kImgBadData;
  info.width = features.width;
  info.height = features.height;
  info.components = features.has_alpha ? 4 : 3;
  info.bitsPerComponent = 8;
  info.numberOfImages = 1;
  if (int e = CheckReadSize(features.width, features.height)) return e;
  if (features.has_animation) return kImgUnsupported;
  if (!out) return kImgOk;
  if (params.imageWanted != 0) return kImgNoSuchPage;

  bool alpha = features.has_alpha && !(params.flags & kLoadSkipAlpha);
  bool bgr = params.colorModel == kBgr;
  BitmapType type = alpha ? (bgr ? kBgra : kRgba) : (bgr ? kBgr : kRgb);
  Bitmap b;
  if (int e = NewDecodedBitmap(b, type, features.width, features.height, params, false)) return e;
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return kImgUnsupported;
  config.options.flip = params.origin == kOriginBottomLeft;
  config.output.colorspace = alpha ? (bgr ? MODE_BGRA : MODE_RGBA) : (bgr ? MODE_BGR : MODE_RGB);
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = b.data.get();
  config.output.u.RGBA.stride = b.bytesPerLine;
  config.output.u.RGBA.size = b.dataSize;
  VP8StatusCode status = WebPDecode(data, size, &config);
  WebPFreeDecBuffer(&config.output);
  if (status == VP8_STATUS_OUT_OF_MEMORY) return kImgNoMemory;
  if (status != VP8_STATUS_OK) return kImgBadData;
  *out = std::move(b);
  return kImgOk;
}

int EncodeWebp(const Bitmap& b, const SaveParams& params, std::vector<uint8_t>& out) {
  if (b.width > WEBP_MAX_DIMENSION || b.height > WEBP_MAX_DIMENSION) return kImgSizeLimit;
  int bpp = BytesPerPixel(b.type);
  // The encoder wants rows top-down.
  const uint8_t* pixels = b.data.get();
  std::vector<uint8_t> flipped;
  if (b.origin == kOriginBottomLeft) {
    flipped.resize(b.dataSize);
    for (int y = 0; y < b.height; ++y)
      std::memcpy(flipped.data() + std::size_t(y) * b.bytesPerLine, b.TopRow(y), std::size_t(b.width) * bpp);
    pixels = flipped.data();
  }
  float quality = float(params.quality < 1 ? 1 : params.quality > 100 ? 100 : params.quality);
  uint8_t* encoded = nullptr;
  std::size_t size = 0;
  switch (b.type) {
    case kBgr: size = WebPEncodeBGR(pixels, b.width, b.height, b.bytesPerLine, quality, &encoded); break;
    case kRgb: size = WebPEncodeRGB(pixels, b.width, b.height, b.bytesPerLine, quality, &encoded); break;
    case kBgra: size = WebPEncodeBGRA(pixels, b.width, b.height, b.bytesPerLine, quality, &encoded); break;
    case kRgba: size = WebPEncodeRGBA(pixels, b.width, b.height, b.bytesPerLine, quality, &encoded); break;
    default: return kImgLayout;
  }
  if (size == 0) {
    WebPFree(encoded);
    return kImgNoMemory;
  }
  out.assign(encoded, encoded + size);
  WebPFree(encoded);
  return kImgOk;
}

}  // namespace tk::img::detail
