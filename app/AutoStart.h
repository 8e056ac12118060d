#pragma once

#include <QString>

// Starting the program with the session, hidden in the tray. "On" means the
// entry exists.
class TAutoStart
{
public:
    virtual ~TAutoStart() = default;
    virtual bool IsOn() const = 0;
    // Writes or removes the entry; false with the reason when it could not.
    virtual bool SetOn(bool on, QString *error) = 0;
};

// An XDG autostart entry, $XDG_CONFIG_HOME/autostart/orvell-backup.desktop
// (~/.config when unset), whose Exec line is the quoted program path and
// "/hide". On Windows the Run value of the design.
class TSessionAutoStart : public TAutoStart
{
public:
    explicit TSessionAutoStart(QString programPath = {}); // default: this executable
    bool IsOn() const override;
    bool SetOn(bool on, QString *error) override;

    QString EntryPath() const;
    QString CommandLine() const; // "<path>" /hide, quoted for an Exec line

private:
    QString m_programPath;
};
