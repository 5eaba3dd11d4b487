#include "bitmaps.h"

#include <cstring>
#include <vector>

#include "canvas.h"
#include "class_builder.h"
#include "description_reader.h"
#include "streams.h"

namespace orlo {

namespace {

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(res::SInvalidBitmap); }

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }


// A .bmp image checked and put into the form the platform converts from.
struct TDibImage {
  std::vector<uint8_t> info;  // BITMAPINFOHEADER, masks, RGBQUAD colour table
  const uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;  // rows, always positive
};

TDibImage ParseBmp(const uint8_t* p, size_t size) {
  const size_t kFileHeader = 14;
  if (size < kFileHeader + 12 || p[0] != 'B' || p[1] != 'M') InvalidBitmap();
  uint32_t offBits = Le32(p + 10);
  const uint8_t* h = p + kFileHeader;
  uint32_t headerSize = Le32(h);
  if (headerSize < 12 || headerSize > size - kFileHeader) InvalidBitmap();

  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof(BITMAPINFOHEADER);
  size_t entrySize = 4;
  if (headerSize == 12) {  // the old OS/2 core header: 16-bit sizes, 3-byte colours
    bih.biWidth = Le16(h + 4);
    bih.biHeight = Le16(h + 6);
    bih.biPlanes = Le16(h + 8);
    bih.biBitCount = Le16(h + 10);
    bih.biCompression = BI_RGB;
    entrySize = 3;
  } else if (headerSize >= 40) {
    std::memcpy(&bih, h, sizeof bih);
    bih.biSize = sizeof(BITMAPINFOHEADER);
  } else {
    InvalidBitmap();
  }

  const int bpp = bih.biBitCount;
  const bool knownDepth = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
  if (bih.biPlanes != 1 || !knownDepth || bih.biWidth <= 0 || bih.biHeight == 0 ||
      bih.biHeight == INT32_MIN)
    InvalidBitmap();
  const bool topDown = bih.biHeight < 0;
  const int64_t rows = topDown ? -static_cast<int64_t>(bih.biHeight) : bih.biHeight;
  switch (bih.biCompression) {
    case BI_RGB: break;
    case BI_RLE8: if (bpp != 8 || topDown) InvalidBitmap(); break;
    case BI_RLE4: if (bpp != 4 || topDown) InvalidBitmap(); break;
    case BI_BITFIELDS: if (bpp != 16 && bpp != 32) InvalidBitmap(); break;
    default: InvalidBitmap();
  }

  // Masks follow a plain info header; larger headers carry them inside.
  size_t masks = bih.biCompression == BI_BITFIELDS && headerSize == 40 ? 12 : 0;
  size_t colors = 0;
  if (bpp <= 8) {
    colors = bih.biClrUsed ? bih.biClrUsed : (1u << bpp);
    if (colors > (1u << bpp)) InvalidBitmap();
  }
  size_t tablePos = kFileHeader + headerSize + masks;
  if (tablePos > size || colors * entrySize > size - tablePos) InvalidBitmap();
  size_t tableEnd = tablePos + colors * entrySize;
  if (offBits == 0) offBits = static_cast<uint32_t>(tableEnd);
  if (offBits < tableEnd || offBits > size) InvalidBitmap();

  uint64_t need;
  if (bih.biCompression == BI_RLE8 || bih.biCompression == BI_RLE4) {
    need = bih.biSizeImage;
    if (need == 0) InvalidBitmap();
  } else {
    uint64_t stride = ((static_cast<uint64_t>(bih.biWidth) * bpp + 31) / 32) * 4;
    need = stride * static_cast<uint64_t>(rows);
  }
  if (need > size - offBits) InvalidBitmap();

  TDibImage img;
  img.width = bih.biWidth;
  img.height = static_cast<int>(rows);
  img.bits = p + offBits;
  bih.biClrUsed = static_cast<DWORD>(colors);
  img.info.resize(sizeof bih + masks + colors * sizeof(RGBQUAD));
  std::memcpy(img.info.data(), &bih, sizeof bih);
  if (masks) std::memcpy(img.info.data() + sizeof bih, p + kFileHeader + headerSize, masks);
  if (bih.biCompression == BI_BITFIELDS && headerSize > 40) {
    // A larger header keeps the red, green and blue masks right after the first 40 bytes.
    if (headerSize < 52) InvalidBitmap();
    img.info.resize(sizeof bih + 12);
    std::memcpy(img.info.data() + sizeof bih, h + 40, 12);
  }
  uint8_t* table = img.info.data() + sizeof bih + masks;
  for (size_t i = 0; i < colors; ++i) {
    const uint8_t* e = p + tablePos + i * entrySize;
    table[i * 4 + 0] = e[0];
    table[i * 4 + 1] = e[1];
    table[i * 4 + 2] = e[2];
    table[i * 4 + 3] = 0;
  }
  return img;
}

}  // namespace

BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

HBITMAP CreateTopDownSection(int width, int height, uint32_t*& bits) {
  BITMAPINFO bi = TopDownBitmapInfo(width, height);
  void* mem = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &mem, nullptr, 0);
  if (!h) throw EOutOfResources(res::SOutOfResources);
  bits = static_cast<uint32_t*>(mem);
  return h;
}

// --- TBitmap ------------------------------------------------------------------------

// The bitmap's canvas: a memory context with the section selected.
class TBitmap::TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* owner) : owner_(owner) {}
  ~TBitmapCanvas() override { FreeHandle(); }

  void FreeHandle() {
    HDC dc = DetachHandle();
    if (!dc) return;
    SelectObject(dc, old_bitmap_);
    DeleteDC(dc);
  }

protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) throw EOutOfResources(res::SOutOfResources);
    old_bitmap_ = owner_->handle_ ? SelectObject(dc, owner_->handle_) : nullptr;
    SetHandle(dc);
  }

private:
  TBitmap* owner_;
  HGDIOBJ old_bitmap_ = nullptr;
};

ORLO_DEFINE_CLASS(TBitmap, TPersistent) {}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  delete canvas_;
  if (handle_) DeleteObject(handle_);
}

void TBitmap::Replace(HBITMAP handle, uint32_t* bits, int width, int height) {
  if (canvas_) canvas_->FreeHandle();  // lets go of the old section
  if (handle_) DeleteObject(handle_);
  handle_ = handle;
  bits_ = bits;
  width_ = handle ? width : 0;
  height_ = handle ? height : 0;
  Changed();
}

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    Replace(nullptr, nullptr, 0, 0);
    return;
  }
  auto* b = Cast<TBitmap>(source);
  if (!b) {
    TPersistent::Assign(source);
    return;
  }
  if (b == this) return;
  if (b->Empty()) {
    Replace(nullptr, nullptr, 0, 0);
    return;
  }
  uint32_t* bits = nullptr;
  HBITMAP h = CreateTopDownSection(b->width_, b->height_, bits);
  GdiFlush();
  std::memcpy(bits, b->bits_, static_cast<size_t>(b->width_) * b->height_ * 4);
  Replace(h, bits, b->width_, b->height_);
}

void TBitmap::LoadFromMemory(const void* data, size_t size) {
  TDibImage img = ParseBmp(static_cast<const uint8_t*>(data), size);
  uint32_t* bits = nullptr;
  HBITMAP h = CreateTopDownSection(img.width, img.height, bits);
  HDC dc = GetDC(nullptr);
  int rows = SetDIBits(dc, h, 0, img.height, img.bits,
                       reinterpret_cast<const BITMAPINFO*>(img.info.data()), DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows == 0) {
    DeleteObject(h);
    InvalidBitmap();
  }
  Replace(h, bits, img.width, img.height);
}

void TBitmap::LoadFromStream(TStream& stream) {
  // More than this build can hold is refused, not read cut short.
  std::string bytes;
  bytes.resize(SizeToLoad(stream, bytes.max_size()));
  size_t got = bytes.empty() ? 0 : stream.Read(&bytes[0], bytes.size());
  bytes.resize(got);
  LoadFromMemory(bytes.data(), bytes.size());
}

void TBitmap::LoadFromFile(const std::string& path) {
  TFileStream f(path, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(f);
}

bool TBitmap::ReadDefinedProperty(const std::string& name, TReader& reader) {
  if (!SameTextAscii(name, "Data")) return TPersistent::ReadDefinedProperty(name, reader);
  std::string data = reader.ReadBinary();
  // The image is preceded by its own size, which must fit in the value.
  if (data.size() < 4) InvalidBitmap();
  uint32_t size = Le32(reinterpret_cast<const uint8_t*>(data.data()));
  if (size > data.size() - 4) InvalidBitmap();
  LoadFromMemory(data.data() + 4, size);
  return true;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  if (width <= 0 || height <= 0) {
    Replace(nullptr, nullptr, 0, 0);
    return;
  }
  uint32_t* bits = nullptr;
  HBITMAP h = CreateTopDownSection(width, height, bits);
  Replace(h, bits, width, height);
}

HBITMAP TBitmap::Handle() {
  if (canvas_) canvas_->FreeHandle();
  return handle_;
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = new TBitmapCanvas(this);
  return canvas_;
}

TColor TBitmap::Pixel(int x, int y) const {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
  GdiFlush();
  uint32_t v = bits_[static_cast<size_t>(y) * width_ + x];
  return RGBColor(static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                  static_cast<uint8_t>(v));
}

void TBitmap::SetPixel(int x, int y, TColor c) {
  if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  GdiFlush();
  uint32_t rgb = ColorToRGB(c);
  bits_[static_cast<size_t>(y) * width_ + x] =
      (RedOf(rgb) << 16) | (GreenOf(rgb) << 8) | BlueOf(rgb);
}

TColor TBitmap::TransparentColor() const { return Pixel(0, height_ - 1); }

// --- TIcon -----------------------------------------------------------------------------

ORLO_DEFINE_CLASS(TIcon, TPersistent) {}

TIcon::TIcon() = default;

TIcon::~TIcon() {
  if (owned_ && handle_) DestroyIcon(handle_);
}

bool TIcon::LoadMainIcon(HINSTANCE instance) {
  HICON h = LoadIconA(instance, "MAINICON");
  bool found = h != nullptr;
  if (!h) h = LoadIconA(nullptr, IDI_APPLICATION);
  SetHandle(h, false);  // icons from LoadIcon are shared and never destroyed
  return found;
}

void TIcon::SetHandle(HICON h, bool owned) {
  if (h == handle_) {
    owned_ = owned;
    return;
  }
  if (owned_ && handle_) DestroyIcon(handle_);
  handle_ = h;
  owned_ = owned;
  if (OnChange) OnChange(this);
}

void TIcon::Assign(TPersistent* source) {
  if (!source) {
    SetHandle(nullptr);
    return;
  }
  auto* i = Cast<TIcon>(source);
  if (!i) {
    TPersistent::Assign(source);
    return;
  }
  if (i == this) return;
  if (!i->owned_ || !i->handle_) {
    SetHandle(i->handle_, false);
    return;
  }
  HICON copy = CopyIcon(i->handle_);
  if (!copy) throw EOutOfResources(res::SOutOfResources);
  SetHandle(copy, true);
}

int TIcon::Width() const { return handle_ ? GetSystemMetrics(SM_CXICON) : 0; }
int TIcon::Height() const { return handle_ ? GetSystemMetrics(SM_CYICON) : 0; }

}  // namespace orlo
