#pragma once
// The main window: the menu bar and the accelerators above the map view,
// which fills the client area. Every command and every enabling query is
// offered to the view first, then to the frame (Exit), then to the
// application (About).

#include "view/CommandTarget.h"

#include <QMainWindow>

#include <map>

class MapView;
class QAction;
class QMenu;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
  public:
    explicit CMainFrame(CommandTarget* application = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    MapView* mapView() const { return view_; }

    void routeCommand(int id);
    bool isRouteEnabled(int id);
    // The menu action of a command (drop-down item or menu bar command).
    QAction* menuAction(int id) const;

    bool handlesCommand(int id) const override;
    bool isCommandEnabled(int id) const override;
    void executeCommand(int id) override;

  private:
    void buildMenuBar();
    void buildAccelerators();
    // Sends the action's command once its menu has closed, and records the action.
    void addMenuCommand(QAction* action, int id);
    // The first target that handles the command, in the order they are offered it.
    CommandTarget* handlerOf(int id);
    void updateMenuItems(QMenu* menu);

    MapView* view_ = nullptr;
    CommandTarget* application_ = nullptr;
    std::map<int, QAction*> menuActions_;
};
