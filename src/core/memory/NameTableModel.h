#pragma once

#include <QList>
#include <QSqlTableModel>
#include <QString>

class Clock;
class LocalDatabase;

/**
 * The table behind an editor grid: one bank table (BANK01 to BANK20) or TALKGROUPS, bound to the
 * local database's own connection, so what the operator types is the row the channel and
 * talkgroup lookups read. Every change is stored as soon as a cell is left. Bank rows are sorted
 * by channel, talkgroups by ID (numbers in numeric order). Yes/no columns are check boxes.
 */
class NameTableModel : public QSqlTableModel {
    Q_OBJECT

public:
    enum class Kind { Bank, Talkgroups };

    /// A grid column: its heading and the table column it shows.
    struct Heading {
        const char* text;
        const char* column;
    };

    NameTableModel(Kind kind, LocalDatabase& db, Clock& clock, QObject* parent = nullptr);

    /// The headings of a grid, in order.
    static QList<Heading> headings(Kind kind);

    Kind kind() const { return m_kind; }
    /// Binds the model to the table of bank 1 to 20 and reads it (bank grids only).
    bool showBank(int bank);
    int bank() const { return m_bank; }
    /// The model columns the grid shows, in the order of headings(); the others stay hidden.
    QList<int> shownColumns() const;

    /**
     * Adds a row and stores it at once; returns its row, or -1 (failed() says why). A bank row takes
     * the first channel of the bank that has no row yet (the bank's first when all have one), its
     * yes/no columns clear; a talkgroup row takes today's date and time.
     */
    int addRow();
    /// Deletes a row from the table.
    bool deleteRow(int row);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    /// A change did not reach the table.
    void failed(const QString& reason);

protected:
    QString orderByClause() const override;
    QString selectStatement() const override;

private:
    bool isYesNo(int column) const;
    bool isFrequency(int column) const;
    /// The row number the model writes changes back by: never shown, never edited.
    bool isKey(int column) const;
    void bindTable(const QString& table);
    bool reportFailure(bool ok);

    Kind m_kind;
    LocalDatabase& m_db;
    Clock& m_clock;
    int m_bank = 0;
    bool m_writingTick = false;
};
