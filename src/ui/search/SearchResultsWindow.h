#pragma once

#include "search/TransmitterRow.h"

#include <QList>
#include <QWidget>

class LocalDatabase;
class Prompter;
class QPlainTextEdit;
class QStandardItemModel;

/**
 * frmSearchResults: the transmitters of the last viewed search (table OrvFreqs) in a grid and as text.
 * SAVE FREQS stores them as a backup set of one bank under the name typed; an empty name or Cancel closes
 * the window. SCAN FREQS asks the controller to program them into a bank of the scanner.
 */
class SearchResultsWindow : public QWidget {
    Q_OBJECT

public:
    SearchResultsWindow(LocalDatabase& db, Prompter& prompter, const QString& appTitle, const QString& resultText,
                        QWidget* parent = nullptr);

    const QList<TransmitterRow>& rows() const { return m_rows; }

Q_SIGNALS:
    /// SCAN FREQS: program these transmitters into a bank.
    void scanRequested(const QList<TransmitterRow>& rows);

private:
    void load();
    void onSave();
    void save(const QString& name);

    LocalDatabase& m_db;
    Prompter& m_prompter;
    QString m_title;
    QList<TransmitterRow> m_rows;
    QStandardItemModel* m_model;
    QPlainTextEdit* m_text;
};
