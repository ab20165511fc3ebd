#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

struct ScannerState;
class LocalDatabase;
class Prompter;
class SerialLink;

/**
 * The trunked system type of each bank (the BankType window's work): the types offered come from
 * TrunkTypes, the stored choice of each bank from BANKTYPES. SAVE sends "TR " + bank letter + type
 * code for each ticked bank and stores the choice; CANCEL sends "MA001" and "KEY00". Both end in
 * finished(), after which the faceplate takes the scanner back.
 *
 * The scanner's answer to "TR" is not read.
 */
class BankTypes : public QObject {
    Q_OBJECT

public:
    /// BANKTYPES holds one row per bank of the larger scanner.
    static constexpr int kBanks = 20;

    /// A type of the list: the code sent to the scanner and stored in TRUNK_CODE, and its name.
    struct TrunkType {
        int code = 0;
        QString name;
    };

    /// One bank's row as the window shows it.
    struct Row {
        int bank = 0;
        /// The stored type's code, or -1 when it selects nothing (see note).
        int code = -1;
        /// Why nothing is selected; empty when a type is.
        QString note;
    };

    BankTypes(ScannerState& state, SerialLink& link, LocalDatabase& db, Prompter& prompter, QObject* parent = nullptr);

    /**
     * Reads the types and the twenty stored choices. A stored TRUNK_CODE with no type in the list,
     * or a bank without a BANKTYPES row, selects nothing and says so in the row's note. Returns
     * false when the database cannot be read (types and rows are then empty).
     */
    bool load();
    const QList<TrunkType>& types() const { return m_types; }
    const QList<Row>& rows() const { return m_rows; }
    bool hasType(int code) const;
    /// The name of the type with this code, or empty text.
    QString typeName(int code) const;

    /**
     * SAVE, for the ticked banks and the code chosen for each (bank -> code). In trunk tracking or
     * ID scan (mode 9 or 11) "KEY13" and "KEY00" go first. Then, bank by bank, the "TR" command and
     * the stored row (a bank without a row gets one). A ticked bank whose code is not in the list
     * stops the save before anything is sent: the operator is told which bank, the window stays.
     * Returns true when the save went through (finished() follows).
     */
    bool save(const QMap<int, int>& ticked);
    /**
     * The end of a restore without the window (the command line): the stored types of these banks are
     * sent as SAVE sends them, then CANCEL's return to scanning. Returns the banks without a stored
     * type, for which nothing was sent.
     */
    QList<int> sendStoredTypes(const QList<int>& banks);
    /// CANCEL: "MA001", "KEY00", then finished().
    void cancel();
    /// The window was closed some other way: finished(), with nothing sent.
    void close();

Q_SIGNALS:
    /// Emitted once per load(): the scanner goes back to the faceplate.
    void finished();
    /// The stored choices changed (after a save).
    void saved();

private:
    bool storeRow(int bank, int code);
    void finish();

    ScannerState& m_state;
    SerialLink& m_link;
    LocalDatabase& m_db;
    Prompter& m_prompter;
    QList<TrunkType> m_types;
    QList<Row> m_rows;
    bool m_open = false;
};
