#pragma once
// The nested classes of CSkinBaseDialog: background parts and queued movements.
#include <optional>

#include "skin/skin_base_dialog.h"
#include "skin/skin_button.h"

class QPainter;

namespace vantrel {

// One background part. Bitmap parts own their image; control parts refer to a child widget that
// their window owns.
class CSkinBaseDialog::CSkinBkPart {
 public:
  CSkinBkPart(CSkinBaseDialog* owner, int kind, QWidget* control = nullptr);
  virtual ~CSkinBkPart();
  CSkinBkPart(const CSkinBkPart&) = delete;
  CSkinBkPart& operator=(const CSkinBkPart&) = delete;

  // With a painter: paints the part into it (the composed background). Without: has the part
  // repainted on the window now.
  virtual void Draw(QPainter* painter);

  int Kind() const { return m_kind; }
  const CDib& Image() const { return m_image; }
  QWidget* Control() const { return m_control.data(); }
  bool IsShaped() const { return m_shaped; }
  uint32_t Key() const { return m_key; }
  int HorizontalAnchor() const { return m_hAnchor; }
  int VerticalAnchor() const { return m_vAnchor; }
  int HitCode() const { return m_hitCode; }
  CSkinBaseDialog* Owner() const { return m_owner; }

  // Parts whose shapes are cut out of this part's painting (it paints behind them).
  void SetOverlaps(std::vector<CSkinBkPart*> overlaps) { m_overlaps = std::move(overlaps); }
  const std::vector<CSkinBkPart*>& Overlaps() const { return m_overlaps; }

  // The current rectangle in window coordinates: the stored one for bitmap parts, the widget's
  // for the others.
  QRect Rect() const;
  // Bitmap parts always; control parts while their widget is not hidden.
  bool IsVisible() const;

 protected:
  // Draw for control parts: a context draws nothing, none has the widget repaint.
  void DrawControl(QPainter* painter);

 private:
  friend class CSkinBaseDialog;

  int m_kind;
  CDib m_image;
  QPointer<QWidget> m_control;
  bool m_shaped = false;
  uint32_t m_key = kKeyMagenta;
  int m_hAnchor = 0;
  int m_vAnchor = 0;
  int m_hitCode = 0;
  std::vector<CSkinBkPart*> m_overlaps;
  CSkinBaseDialog* m_owner;
  QRect m_rect;
  std::optional<QRegion> m_cachedRegion;
  bool m_visible = true;
  // Matches no real rectangle, so the first request always computes.
  QRect m_cachedRect{QPoint(-123523, -145675), QPoint(134578 - 1, 189325 - 1)};
};

// An owner-drawn part: a control part whose button is also painted into the composed background.
template <class TButton>
class CSkinBaseDialog::CSkinOwnerDrawControl : public CSkinBaseDialog::CSkinBkPart {
 public:
  CSkinOwnerDrawControl(CSkinBaseDialog* owner, TButton* button)
      : CSkinBkPart(owner, kOwnerDrawPart, button), m_button(button) {}

  void Draw(QPainter* painter) override {
    if (painter == nullptr || m_button.isNull()) {
      DrawControl(painter);
      return;
    }
    if (m_button->isHidden()) return;
    m_button->DrawItem(*painter, Rect(), TButton::DrawAction::Entire);
  }

  TButton* Button() const { return m_button.data(); }

 private:
  QPointer<TButton> m_button;
};

// One queued movement of parts.
class CSkinBaseDialog::CMoveInfo {
 public:
  CMoveInfo(std::vector<CSkinBkPart*> parts, int dx, int dy);

  int m_totalDx;
  int m_totalDy;
  int m_stepDx;  // total / 5 truncated toward zero: the remainder is never applied
  int m_stepDy;
  int m_stepCount = kMoveStepCount;
  int m_stepsDone = 0;
  int m_timerId = kMoveTimerId;
  std::vector<CSkinBkPart*> m_parts;
};

}  // namespace vantrel
