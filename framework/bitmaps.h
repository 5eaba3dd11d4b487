// Pictures: bitmaps read from .bmp images, and icons.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "graphics.h"

namespace orlo {

class TCanvas;
class TStream;

// A picture held as a 32-bit device-independent section, whatever the depth
// of the image it was read from, so its pixels are exact on any display.
class TBitmap : public TPersistent {
  ORLO_CLASS(TBitmap)
public:
  TBitmap();
  ~TBitmap() override;

  // Copies another bitmap's pixels (null empties this one).
  void Assign(TPersistent* source) override;
  // "Data" in a description: a 4-byte little-endian size, then a .bmp image.
  bool ReadDefinedProperty(const std::string& name, TReader& reader) override;

  // A .bmp file image (file header and device-independent bitmap). A wrong
  // or truncated image raises EInvalidGraphic and leaves the bitmap as it was.
  void LoadFromMemory(const void* data, size_t size);
  // The image from the stream's position to its end.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& path);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return handle_ == nullptr; }
  // A new blank (black) picture of that size; 0 in either makes it empty.
  void SetSize(int width, int height);
  void SetWidth(int v) { SetSize(v, height_); }
  void SetHeight(int v) { SetSize(width_, v); }

  // The section, null while empty, free to be selected elsewhere (the
  // platform's bitmap and image-list functions need that): the canvas lets go
  // of it here and takes it back at its next drawing.
  HBITMAP Handle();
  // Drawing on the picture.
  TCanvas* Canvas();

  // Pixel colours (0x00BBGGRR); -1 outside the picture.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor c);
  // The colour that a transparent drawing leaves out: the lower-left pixel.
  TColor TransparentColor() const;

  // After the picture was loaded, assigned or resized.
  TNotifyEvent OnChange;

private:
  class TBitmapCanvas;
  void Replace(HBITMAP handle, uint32_t* bits, int width, int height);
  void Changed() {
    if (OnChange) OnChange(this);
  }

  HBITMAP handle_ = nullptr;
  uint32_t* bits_ = nullptr;  // top-down rows of 0x00RRGGBB
  int width_ = 0;
  int height_ = 0;
  TBitmapCanvas* canvas_ = nullptr;
};

// An icon handle; the program's own icon by default.
class TIcon : public TPersistent {
  ORLO_CLASS(TIcon)
public:
  TIcon();
  ~TIcon() override;

  void Assign(TPersistent* source) override;

  // The program's MAINICON, or the platform's default application icon when
  // the program has none. Returns whether MAINICON was found.
  bool LoadMainIcon(HINSTANCE instance = GetModuleHandleA(nullptr));
  // Null when no icon is set.
  HICON Handle() const { return handle_; }
  // Takes a handle; an owned one is destroyed with the icon or the next one.
  void SetHandle(HICON h, bool owned = false);
  int Width() const;
  int Height() const;

  TNotifyEvent OnChange;

private:
  HICON handle_ = nullptr;
  bool owned_ = false;
};

// A blank top-down 32-bit section; bits receives its memory. Raises
// EOutOfResources when the platform makes none.
HBITMAP CreateTopDownSection(int width, int height, uint32_t*& bits);
// The description of such pixels: 32 bits each, first row at the top.
BITMAPINFO TopDownBitmapInfo(int width, int height);

}  // namespace orlo
