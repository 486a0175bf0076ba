#pragma once
// Something that menu commands and their enabling queries can be offered to.
// The main frame asks its targets in turn: the map view first, then itself,
// then the application.

class CommandTarget {
  public:
    virtual ~CommandTarget() = default;
    virtual bool handlesCommand(int id) const = 0;
    // Asked when a drop-down menu opens and again when the command arrives.
    virtual bool isCommandEnabled(int id) const = 0;
    // Called only for a handled command that is enabled at that moment.
    virtual void executeCommand(int id) = 0;
};
