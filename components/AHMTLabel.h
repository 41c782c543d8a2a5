#pragma once
// TAHMLabel: a label that paints its caption as three-dimensional text (its TAHMFont3D) inside a frame
// (its TAHMFrame), over an optional background painter and with an optional painter filling the
// glyphs. The label owns its text and frame painters; assigning another painter copies its settings.
// The two background painters are references: the label registers with each, and a background that
// goes away is forgotten (free notification).

#include <memory>

#include "platform/vcl/StdCtrls.h"

class TAHMBackground;
class TAHMFont3D;
class TAHMFrame;

class TAHMLabel : public TCustomLabel {
  XJ_CLASS(TAHMLabel, TCustomLabel)
  XJ_PUBLISHED_ACCESS;

 public:
  // Not AutoSize, and without a frame (frameNone).
  explicit TAHMLabel(TComponent* AOwner);
  ~TAHMLabel() override;

  TAHMFont3D* Font3D() const { return FFont3D.get(); }
  // Copies Value's settings into the label's own text painter.
  void Set3D(TAHMFont3D* Value);
  TAHMFrame* Frame() const { return FFrame.get(); }
  // Copies Value's settings into the label's own frame painter.
  void SetFrm(TAHMFrame* Value);
  // Fills the text's glyphs; null: plain 3-D text.
  TAHMBackground* FontBackground() const { return FFontBackground; }
  void SetBack(TAHMBackground* Value);
  // Painted behind an opaque label; null: the label's colour only.
  TAHMBackground* Background() const { return FBackground; }
  void SetBack2(TAHMBackground* Value);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;

 private:
  // Takes the label off Old's client list (unless Old is going away itself) and onto New's.
  void Rebind(TAHMBackground*& Field, TAHMBackground* Value);

  std::unique_ptr<TAHMFont3D> FFont3D;
  TAHMBackground* FFontBackground { nullptr };
  TAHMBackground* FBackground { nullptr };
  std::unique_ptr<TAHMFrame> FFrame;
};
