#pragma once

#include "memory/NameTableModel.h"

#include <QFileDialog>
#include <QList>
#include <QWidget>

class Clock;
class LocalDatabase;
class QLabel;
class QRadioButton;
class QTableView;

/**
 * frmEditBank2 (one bank table at a time, chosen with the bank buttons) and frmEditTrunkID (the
 * talkgroups): a grid on a NameTableModel with Add row and Delete row (and, for the talkgroups, Import
 * and Export of RadioReference CSV files). Edits are stored as soon as a cell is left.
 */
class NameEditorWindow : public QWidget {
    Q_OBJECT

public:
    NameEditorWindow(NameTableModel::Kind kind, LocalDatabase& db, Clock& clock, const QString& appTitle, int bankCount,
                     QWidget* parent = nullptr);

    /// Shows the window: the bank grid on bank 1, the talkgroup grid read afresh.
    void open();
    NameTableModel& model() { return m_model; }
    QTableView* grid() const { return m_grid; }

    /// The talkgroup grid's Import and Export buttons once a file is chosen: a RadioReference CSV file read
    /// into TALKGROUPS (all or nothing) or written from it; the outcome shows under the grid.
    void importTalkgroups(const QString& path);
    void exportTalkgroups(const QString& path);

private:
    void onBankChosen(int bank);
    void onAddRow();
    void onDeleteRow();
    void onFailed(const QString& reason);
    void showColumns();
    void chooseFile(QFileDialog::AcceptMode mode);

    LocalDatabase& m_db;
    NameTableModel m_model;
    QString m_appTitle;
    QTableView* m_grid = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_status = nullptr;
    QList<QRadioButton*> m_banks;
};
