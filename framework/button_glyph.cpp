#include "button_glyph.h"

#include <memory>
#include <vector>

#include "bitmaps.h"
#include "class_builder.h"

namespace orlo {

namespace {

// ((D xor P) and S) xor D: the brush where the source is white, the
// destination where it is black.
constexpr DWORD kBrushWhereSourceWhite = 0x00E20746;

[[noreturn]] void OutOfResources() { throw EOutOfResources(res::SOutOfResources); }

}  // namespace

// A memory context with a bitmap of its own: 32-bit colour, or one bit per
// pixel for a mask (which starts all black: nothing set).
class TGlyphSurface {
public:
  TGlyphSurface(int width, int height, bool mask) : width_(width), height_(height) {
    if (mask) {
      bitmap_ = CreateBitmap(width, height, 1, 1, nullptr);
      if (!bitmap_) OutOfResources();
    } else {
      uint32_t* bits = nullptr;
      bitmap_ = CreateTopDownSection(width, height, bits);
    }
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) {
      DeleteObject(bitmap_);
      OutOfResources();
    }
    old_ = SelectObject(dc_, bitmap_);
    if (mask) PatBlt(dc_, 0, 0, width, height, BLACKNESS);
  }
  ~TGlyphSurface() {
    Deselect();
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  TGlyphSurface(const TGlyphSurface&) = delete;
  TGlyphSurface& operator=(const TGlyphSurface&) = delete;

  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The bitmap, out of the context: an image list selects it into its own.
  HBITMAP Bitmap() {
    Deselect();
    return bitmap_;
  }
  // Back in the context after Bitmap(), to be drawn from again.
  void Reselect() {
    if (!old_) old_ = SelectObject(dc_, bitmap_);
  }

  void Fill(COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush) OutOfResources();
    RECT r{0, 0, width_, height_};
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
  }
  // Copies the same-sized block of source at (x, y).
  void CopyFrom(HDC source, int x, int y) {
    BitBlt(dc_, 0, 0, width_, height_, source, x, y, SRCCOPY);
  }
  // As a mask: set where the block of source at (x, y) has the key colour
  // (the platform's colour-to-monochrome conversion against the background colour).
  void MaskFrom(HDC source, int x, int y, COLORREF key) {
    COLORREF back = SetBkColor(source, key);
    BitBlt(dc_, 0, 0, width_, height_, source, x, y, SRCCOPY);
    SetBkColor(source, back);
  }
  // Paints colour at (x, y) where mask is set, leaves the rest.
  void PaintWhereSet(const TGlyphSurface& mask, int x, int y, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush) OutOfResources();
    HGDIOBJ oldBrush = SelectObject(dc_, brush);
    // A one-bit source takes the text colour for 0 and the background colour for 1.
    COLORREF text = SetTextColor(dc_, RGB(0, 0, 0));
    COLORREF back = SetBkColor(dc_, RGB(255, 255, 255));
    BitBlt(dc_, x, y, mask.width_, mask.height_, mask.dc_, 0, 0, kBrushWhereSourceWhite);
    SetTextColor(dc_, text);
    SetBkColor(dc_, back);
    SelectObject(dc_, oldBrush);
    DeleteObject(brush);
  }

private:
  void Deselect() {
    if (!old_) return;
    SelectObject(dc_, old_);
    old_ = nullptr;
  }

  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

struct TButtonGlyph::TDrawnImage {
  std::unique_ptr<TGlyphSurface> image;
  std::unique_ptr<TGlyphSurface> mask;  // only for an image drawn transparently
};

namespace {

COLORREF Rgb(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

}  // namespace

// --- the shared image lists ---------------------------------------------------------

// One platform image list per image size, with the glyphs that hold images in
// it as its users. Slots of dropped images are reused, so the indexes that
// other glyphs hold never move.
class TButtonGlyph::TSharedList {
public:
  static TSharedList* Acquire(int width, int height) {
    for (TSharedList* l : All()) {
      if (l->width_ == width && l->height_ == height) {
        ++l->users_;
        return l;
      }
    }
    HIMAGELIST h = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4);
    if (!h) OutOfResources();
    auto* l = new TSharedList(width, height, h);
    All().push_back(l);
    return l;
  }

  void Release() {
    if (--users_ > 0) return;
    auto& all = All();
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i] == this) {
        all.erase(all.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
    ImageList_Destroy(handle_);
    delete this;
  }

  int Store(HBITMAP image, HBITMAP mask) {
    for (size_t i = 0; i < used_.size(); ++i) {
      if (used_[i]) continue;
      if (!ImageList_Replace(handle_, static_cast<int>(i), image, mask)) OutOfResources();
      used_[i] = true;
      return static_cast<int>(i);
    }
    int index = ImageList_Add(handle_, image, mask);
    if (index < 0) OutOfResources();
    used_.resize(static_cast<size_t>(index) + 1, false);
    used_[static_cast<size_t>(index)] = true;
    return index;
  }

  void Free(int index) {
    used_[static_cast<size_t>(index)] = false;
    // Free slots at the end are given back; removing the last moves nothing.
    while (!used_.empty() && !used_.back()) {
      ImageList_Remove(handle_, static_cast<int>(used_.size()) - 1);
      used_.pop_back();
    }
  }

  HIMAGELIST Handle() const { return handle_; }
  static std::vector<TSharedList*>& All() {
    static auto* lists = new std::vector<TSharedList*>;
    return *lists;
  }

private:
  TSharedList(int width, int height, HIMAGELIST h) : width_(width), height_(height), handle_(h) {}

  int width_;
  int height_;
  int users_ = 1;
  HIMAGELIST handle_;
  std::vector<bool> used_;
};

int TButtonGlyph::SharedListCount() { return static_cast<int>(TSharedList::All().size()); }

// --- TButtonGlyph -----------------------------------------------------------------

ORLO_DEFINE_CLASS(TButtonGlyph, TObject) {}

TButtonGlyph::TButtonGlyph() : original_(new TBitmap) {
  original_->OnChange = TNotifyEvent(this, &TButtonGlyph::PictureChanged);
}

TButtonGlyph::~TButtonGlyph() {
  DropImages();
  delete original_;
}

void TButtonGlyph::SetGlyph(TBitmap* picture) {
  original_->Assign(picture);  // tells PictureChanged
  int w = original_->Width();
  int h = original_->Height();
  if (h > 0 && w % h == 0) SetNumGlyphs(w / h < 5 ? w / h : 1);
}

void TButtonGlyph::SetNumGlyphs(int n) {
  if (n < 1) return;
  if (n > 4) n = 4;
  if (n == num_glyphs_) return;
  num_glyphs_ = n;
  DropImages();
  Changed();
}

void TButtonGlyph::PictureChanged(TObject*) {
  transparent_color_ = original_->Empty() ? clNone : original_->TransparentColor();
  DropImages();
  Changed();
}

void TButtonGlyph::Changed() {
  if (OnChange) OnChange(original_);
}

TSize TButtonGlyph::ImageSize() const {
  if (original_->Empty()) return TSize{};
  return TSize{original_->Width() / num_glyphs_, original_->Height()};
}

int TButtonGlyph::ImageIndex(TButtonState state) const {
  int index = state;
  if (state == bsDown && num_glyphs_ < 3) index = 0;
  return index < num_glyphs_ ? index : 0;
}

void TButtonGlyph::PrepareImage(TButtonState state) {
  if (images_[state] >= 0) return;
  const TSize size = ImageSize();
  if (size.cx <= 0 || size.cy <= 0) return;

  HDC source = original_->Canvas()->Handle();
  const int sx = ImageIndex(state) * size.cx;
  const COLORREF transparent = Rgb(transparent_color_);
  const COLORREF face = Rgb(clBtnFace);
  TGlyphSurface image(size.cx, size.cy, false);
  TGlyphSurface mask(size.cx, size.cy, true);  // all clear: drawn opaque
  image.Fill(face);

  switch (state) {
    case bsUp:
    case bsDown: {
      image.CopyFrom(source, sx, 0);
      TGlyphSurface where(size.cx, size.cy, true);
      where.MaskFrom(source, sx, 0, transparent);
      image.PaintWhereSet(where, 0, 0, face);
      break;
    }
    case bsExclusive:
      // The image list's own transparency: the mask marks the transparent
      // colour, whose pixels the image holds as black.
      image.CopyFrom(source, sx, 0);
      mask.MaskFrom(source, sx, 0, transparent);
      image.PaintWhereSet(mask, 0, 0, RGB(0, 0, 0));
      break;
    case bsDisabled:
      if (num_glyphs_ == 1) {
        // Embossed: the black of the picture as a shadow with a highlight
        // one pixel down and right, on the face.
        TGlyphSurface black(size.cx, size.cy, true);
        black.MaskFrom(source, sx, 0, RGB(0, 0, 0));
        image.PaintWhereSet(black, 1, 1, Rgb(clBtnHighlight));
        image.PaintWhereSet(black, 0, 0, Rgb(clBtnShadow));
      } else {
        // The picture's own disabled image, recoloured to the system colours;
        // every mask is taken from the picture, not from the recoloured image.
        image.CopyFrom(source, sx, 0);
        TGlyphSurface white(size.cx, size.cy, true);
        TGlyphSurface gray(size.cx, size.cy, true);
        TGlyphSurface clear(size.cx, size.cy, true);
        white.MaskFrom(source, sx, 0, RGB(255, 255, 255));
        gray.MaskFrom(source, sx, 0, RGB(128, 128, 128));
        clear.MaskFrom(source, sx, 0, transparent);
        image.PaintWhereSet(white, 0, 0, Rgb(clBtnHighlight));
        image.PaintWhereSet(gray, 0, 0, Rgb(clBtnShadow));
        image.PaintWhereSet(clear, 0, 0, face);
      }
      break;
  }

  if (!list_) list_ = TSharedList::Acquire(size.cx, size.cy);
  images_[state] = list_->Store(image.Bitmap(), mask.Bitmap());

  // What a paint copies: the image as stored, and for a transparent one its
  // mask in colour, white where the destination shows through. Two plain
  // copies then draw what the image list draws, for a fraction of its cost.
  image.Reselect();
  mask.Reselect();
  auto copy = std::make_unique<TDrawnImage>();
  copy->image = std::make_unique<TGlyphSurface>(size.cx, size.cy, false);
  copy->image->CopyFrom(image.Dc(), 0, 0);
  if (state == bsExclusive) {
    copy->mask = std::make_unique<TGlyphSurface>(size.cx, size.cy, false);
    copy->mask->Fill(RGB(0, 0, 0));
    copy->mask->PaintWhereSet(mask, 0, 0, RGB(255, 255, 255));
  }
  drawn_[state] = std::move(copy);
}

void TButtonGlyph::Draw(TCanvas& canvas, int x, int y, TButtonState state, bool transparent) {
  PrepareImage(state);
  if (images_[state] < 0) return;
  const TDrawnImage* drawn = drawn_[state].get();
  HDC dc = canvas.BareHandle();
  if (!dc || !drawn) return;
  const TGlyphSurface& image = *drawn->image;
  if (transparent && drawn->mask) {
    // The destination kept where the mask is white, then the image (black
    // there) laid over it.
    BitBlt(dc, x, y, image.Width(), image.Height(), drawn->mask->Dc(), 0, 0, SRCAND);
    BitBlt(dc, x, y, image.Width(), image.Height(), image.Dc(), 0, 0, SRCPAINT);
  } else {
    // Every mask but the held-down image's is clear: the image is opaque.
    BitBlt(dc, x, y, image.Width(), image.Height(), image.Dc(), 0, 0, SRCCOPY);
  }
}

void TButtonGlyph::DropImages() {
  for (auto& d : drawn_) d.reset();
  if (!list_) return;
  for (int& index : images_) {
    if (index >= 0) list_->Free(index);
    index = -1;
  }
  list_->Release();
  list_ = nullptr;
}

HIMAGELIST TButtonGlyph::ImageList() const { return list_ ? list_->Handle() : nullptr; }

// --- the pattern of a held-down group button --------------------------------------

namespace {
int g_pattern_users = 0;
TBitmap* g_pattern = nullptr;
uint32_t g_pattern_face = 0;
HBRUSH g_pattern_brush = nullptr;  // made from the pattern as it is now
}  // namespace

void AddButtonPatternUser() { ++g_pattern_users; }

void RemoveButtonPatternUser() {
  if (g_pattern_users > 0 && --g_pattern_users == 0) {
    if (g_pattern_brush) DeleteObject(g_pattern_brush);
    g_pattern_brush = nullptr;
    delete g_pattern;
    g_pattern = nullptr;
  }
}

TBitmap* ButtonPattern() {
  const uint32_t face = ColorToRGB(clBtnFace);
  if (g_pattern && g_pattern_face == face) return g_pattern;
  if (!g_pattern) {
    auto* b = new TBitmap;
    try {
      b->SetSize(8, 8);
    } catch (...) {
      delete b;
      throw;
    }
    g_pattern = b;
  }
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      g_pattern->SetPixel(x, y, ((x + y) & 1) == 0 ? clWhite : static_cast<TColor>(face));
  g_pattern_face = face;
  // A brush holds a copy of the pattern: the old one shows the old face.
  if (g_pattern_brush) DeleteObject(g_pattern_brush);
  g_pattern_brush = nullptr;
  return g_pattern;
}

HBRUSH ButtonPatternBrush() {
  TBitmap* pattern = ButtonPattern();
  if (!g_pattern_brush) {
    g_pattern_brush = CreatePatternBrush(pattern->Handle());
    if (!g_pattern_brush) OutOfResources();
  }
  return g_pattern_brush;
}

}  // namespace orlo
