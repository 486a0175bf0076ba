#include "app/CMainFrame.h"

#include "resources/MenuTable.h"
#include "resources/Strings.h"
#include "view/MapView.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

CMainFrame::CMainFrame(CommandTarget* application, QWidget* parent)
    : QMainWindow(parent), application_(application) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(QString::fromUtf8(Strings::AppTitle));
    view_ = new MapView(this);
    setCentralWidget(view_);
    // Whenever the frame would take the focus, the view gets it.
    setFocusProxy(view_);
    buildMenuBar();
    buildAccelerators();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::buildMenuBar() {
    auto* bar = new QMenuBar(this);
    bar->setNativeMenuBar(false);
    for (const MenuBarEntry& entry : MainMenuBar()) {
        const QString text = QString::fromUtf8(entry.text);
        if (entry.commandId != 0) {
            // A command on the bar itself: never greyed, checked on arrival.
            addMenuCommand(bar->addAction(text), entry.commandId);
            continue;
        }
        QMenu* menu = bar->addMenu(text);
        for (const MenuItem& item : entry.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setData(item.id);  // updateMenuItems reads it
            addMenuCommand(action, item.id);
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { updateMenuItems(menu); });
        updateMenuItems(menu);
    }
    setMenuBar(bar);
}

void CMainFrame::addMenuCommand(QAction* action, int id) {
    // The command arrives once the menu has closed, as a posted command
    // would: a dialog it opens never finds the bar still highlighted.
    connect(
        action, &QAction::triggered, this, [this, id] { routeCommand(id); }, Qt::QueuedConnection);
    menuActions_[id] = action;
}

void CMainFrame::buildAccelerators() {
    for (const Accelerator& accelerator : MainAccelerators()) {
        auto* action = new QAction(this);
        action->setShortcut(
            QKeySequence(QString::fromLatin1(accelerator.keys), QKeySequence::PortableText));
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = accelerator.commandId;
        connect(action, &QAction::triggered, this, [this, id] { routeCommand(id); });
        addAction(action);
    }
}

void CMainFrame::updateMenuItems(QMenu* menu) {
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            action->setEnabled(isRouteEnabled(action->data().toInt()));
}

QAction* CMainFrame::menuAction(int id) const {
    const auto it = menuActions_.find(id);
    return it == menuActions_.end() ? nullptr : it->second;
}

CommandTarget* CMainFrame::handlerOf(int id) {
    CommandTarget* const targets[] = {view_, this, application_};
    for (CommandTarget* target : targets)
        if (target != nullptr && target->handlesCommand(id))
            return target;
    return nullptr;
}

void CMainFrame::routeCommand(int id) {
    CommandTarget* target = handlerOf(id);
    if (target != nullptr && target->isCommandEnabled(id))
        target->executeCommand(id);
}

bool CMainFrame::isRouteEnabled(int id) {
    // A command nobody handles is greyed, and its keys do nothing.
    const CommandTarget* target = handlerOf(id);
    return target != nullptr && target->isCommandEnabled(id);
}

bool CMainFrame::handlesCommand(int id) const {
    return id == CommandId::AppExit;
}

bool CMainFrame::isCommandEnabled(int id) const {
    return id == CommandId::AppExit;
}

void CMainFrame::executeCommand(int id) {
    // Closing asks nothing and saves nothing.
    if (id == CommandId::AppExit)
        close();
}
