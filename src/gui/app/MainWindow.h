#pragma once
// The multi-document main window.

#include <QMainWindow>

class QMdiArea;

class CMainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainWindow(QWidget* parent = nullptr);

    QMdiArea* MdiArea() const { return mdiArea; }

    static constexpr const char* kTitle = "VELM for Windows95/98 and NT/XP v2.00";

  private:
    void CreateMenus();

    QMdiArea* mdiArea = nullptr;
};
