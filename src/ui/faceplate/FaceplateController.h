#pragma once

#include "search/TransmitterRow.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class AboutWindow;
class ActivityWindow;
class AuxDisplayWindow;
class FaceplateWindow;
class HelpWindow;
class MemoryWindows;
class PhoneViewDialog;
class Prompter;
class ScanFoundFreqs;
class SearchRangeWindow;
class SearchResultsWindow;
class Session;

/**
 * Connects a faceplate window (either model's) to a Session: key clicks go to the keypad handlers, key
 * events through the keyboard tables, menu entries to the menu actions, the port set-up and the
 * small windows; the link lamps are copied onto the window. It holds no scanner state.
 */
class FaceplateController : public QObject {
    Q_OBJECT

public:
    FaceplateController(Session& session, FaceplateWindow& faceplate, Prompter& prompter, const QString& buildDateText,
                        QObject* parent = nullptr);
    ~FaceplateController() override;

    /// Copies the four lamps and their captions' tooltips onto the window.
    void syncLamps();

    // What the menu entries reach (FaceplateMenus declares which entry does what).
    Session& session() { return m_session; }
    MemoryWindows& memory() { return *m_memory; }
    /// File/Exit.
    void quit();
    /// Starts the companion program; a box says so when it cannot be started.
    void loadPellwick();
    void openTransmitterDb();
    /// Config > Audio: the input, recordings and live stream; applied when accepted.
    void openAudioConfig();
    /// The manual in its window, opened at a heading.
    void showHelp(const QString& heading);
    void showAbout();
    void openActivity();
    /// Config > Phone View.
    void openPhoneView();
    void openRemoteSearch();

Q_SIGNALS:
    /// File/Exit, or the faceplate was closed (the port is closed by then).
    void quitRequested();

private:
    void onKeyClicked(const QString& buttonName);
    void onMenu(const QString& entry);
    void openRangeSearch();
    void openSearchResults(const QString& resultText);
    void scanFoundFreqs(const QList<TransmitterRow>& rows);

    Session& m_session;
    FaceplateWindow& m_faceplate;
    Prompter& m_prompter;
    QString m_buildDateText;
    /// A window of its own (no parent), placed beside the faceplate; it goes with the controller.
    std::unique_ptr<AuxDisplayWindow> m_auxWindow;
    QPointer<AboutWindow> m_about;
    QPointer<HelpWindow> m_help;
    QPointer<SearchRangeWindow> m_rangeSearch;
    QPointer<ActivityWindow> m_activity;
    QPointer<PhoneViewDialog> m_phoneView;
    std::unique_ptr<MemoryWindows> m_memory;
    QPointer<SearchResultsWindow> m_searchResults;
    QPointer<ScanFoundFreqs> m_scan;
};
