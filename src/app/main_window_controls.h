#pragma once

#include <QRect>

#include <vector>

#include "app/window_layout.h"

class QLabel;
class QWidget;

namespace tramlet {

class CBitmapButton;
class CBitmapSlider;
class CMonthCalendar;
namespace library {
class LibraryBar;
class LibraryMenu;
}  // namespace library

// The main window's controls: made at their designed places, set up with
// their pictures, ranges and tips, and placed again for any window size.
class MainWindowControls {
  public:
    explicit MainWindowControls(QWidget* window);

    // The map page takes the map area's place.
    void ReplaceMap(QWidget* map);
    // The designed layout stretched to the window; full screen shows the
    // video area alone, over the whole window.
    void Place(const QSize& window, bool fullScreen);
    static QSize DesignedSize();
    static QSize SmallestSize();

    QWidget* videoArea = nullptr;
    QWidget* map = nullptr;
    library::LibraryMenu* library = nullptr;
    library::LibraryBar* libraryBar = nullptr;
    CMonthCalendar* calendar = nullptr;
    CBitmapSlider* timeline = nullptr;
    CBitmapSlider* volume = nullptr;
    CBitmapSlider* rate = nullptr;
    QLabel* rateText = nullptr;
    CBitmapSlider* hourSlider = nullptr;
    CBitmapSlider* minuteSlider = nullptr;
    CBitmapSlider* secondSlider = nullptr;
    QLabel* timeLabel = nullptr;
    QWidget* markAnchor = nullptr;
    CBitmapButton* play = nullptr;
    CBitmapButton* pause = nullptr;
    CBitmapButton* rewind = nullptr;
    CBitmapButton* forward = nullptr;
    CBitmapButton* path = nullptr;
    CBitmapButton* backup = nullptr;
    CBitmapButton* capture = nullptr;
    CBitmapButton* reset = nullptr;

  private:
    struct Placed {
        QWidget* widget;
        QRect designed;
        Growth growth;
    };
    template <typename Widget>
    Widget* Add(Widget* widget, int id, const QRect& dialogUnits, Growth growth);
    QLabel* AddText(int id, const QString& text, const QRect& dialogUnits);
    void AddPicture(int picture, const QRect& dialogUnits);
    void CreateSliders();
    void CreateButtons();
    void SetUpButtons();
    void SetUpSliders();
    void SetUpCalendar();

    QWidget* window_;
    std::vector<Placed> placed_;
};

}  // namespace tramlet
