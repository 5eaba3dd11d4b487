// The picture of a speed button: the bitmap with up to four images side by
// side, the images derived from it for each drawing state (kept in image
// lists shared by every glyph of the same image size), and the checkerboard
// that a button held down in its group is filled with.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>

#include "graphics.h"

namespace orlo {

// How a button is drawn; the order is the index of each state's image.
enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

class TButtonGlyph : public TObject {
  ORLO_CLASS(TButtonGlyph)
public:
  TButtonGlyph();
  ~TButtonGlyph() override;

  // The picture, owned by the glyph. Loading or drawing on it counts as a
  // change: the transparent colour is taken again and the images are dropped.
  TBitmap* Glyph() const { return original_; }
  // Copies a picture (null empties it). A picture whose width is a whole
  // multiple of its height holds that many square images, when below 5.
  void SetGlyph(TBitmap* picture);
  int NumGlyphs() const { return num_glyphs_; }
  // Values above 4 count as 4; below 1 are ignored.
  void SetNumGlyphs(int n);
  // The colour drawn as the button face: the picture's lower-left pixel.
  TColor TransparentColor() const { return transparent_color_; }
  // The size of one image (0 x 0 without a picture).
  TSize ImageSize() const;

  // Makes the image of a state unless it is cached.
  void PrepareImage(TButtonState state);
  // Draws the state's image with its top-left corner at (x, y); transparently
  // leaves the pixels of the transparent colour as they were.
  void Draw(TCanvas& canvas, int x, int y, TButtonState state, bool transparent);
  // Forgets the cached images (after a change of the system colours).
  void DropImages();
  // The shared list the cached images are in; null while none is cached.
  HIMAGELIST ImageList() const;
  // Image lists alive for glyphs (one per image size).
  static int SharedListCount();

  // After the picture or the number of images changed; the sender is the picture.
  TNotifyEvent OnChange;

private:
  class TSharedList;
  struct TDrawnImage;
  void PictureChanged(TObject* sender);
  void Changed();
  int ImageIndex(TButtonState state) const;

  TBitmap* original_;
  int num_glyphs_ = 1;
  TColor transparent_color_ = clNone;
  TSharedList* list_ = nullptr;  // where the cached images are, while any are
  int images_[4] = {-1, -1, -1, -1};
  // The copies each paint draws from, beside the image list's.
  std::unique_ptr<TDrawnImage> drawn_[4];
};

// The 8 x 8 pattern of a held-down group button: clBtnFace, white where x and
// y have the same parity. Each speed button is a user from its construction to
// its destruction; the pattern is made on first need (again after the button
// face colour changed) and freed with the last user.
void AddButtonPatternUser();
void RemoveButtonPatternUser();
TBitmap* ButtonPattern();
// A brush of that pattern, kept with it: a held-down button's repaint makes
// no brush of its own.
HBRUSH ButtonPatternBrush();

}  // namespace orlo
