#pragma once

#include <QObject>
#include <QString>

class SerialLink;

/**
 * The four link lamps of the faceplate (lampBuffer, lampCTS, lampDSR, lampPort) and the
 * tooltips of their caption labels (Label7, Label8, Label9). The faceplate renders this model;
 * the poll cycle calls refresh() on every pass, and the receive path lights lampBuffer at once.
 */
class LinkLamps : public QObject {
    Q_OBJECT

public:
    /// Colours as &HBBGGRR values: pure green when lit, dark green when dark.
    static constexpr quint32 kLit = 65280;
    static constexpr quint32 kDark = 16384;

    enum class Lamp { Buffer, Cts, Dsr, Port };

    explicit LinkLamps(SerialLink& link, QObject* parent = nullptr);

    /// The control name of a lamp: "lampBuffer", "lampCTS", "lampDSR", "lampPort".
    static QString lampName(Lamp lamp);

    bool isLit(Lamp lamp) const;
    quint32 color(Lamp lamp) const { return isLit(lamp) ? kLit : kDark; }
    /// The colour of a lamp by its control name; kDark for an unknown name.
    quint32 color(const QString& lampName) const;
    /// The tooltip of "Label7", "Label8" or "Label9"; empty for any other name. Label8 serves
    /// both modem lines and carries the DSR text.
    QString toolTip(const QString& labelName) const;
    /// The lamp's own tooltip, e.g. "CTS Signal is high".
    QString toolTip(Lamp lamp) const;

    /// Reads the port's state: buffer counts, CTS, DSR and whether it is open.
    void refresh();

Q_SIGNALS:
    /// A lamp or a tooltip changed.
    void changed();

private:
    void set(bool buffer, bool cts, bool dsr, bool port);

    SerialLink& m_link;
    bool m_buffer = false;
    bool m_cts = false;
    bool m_dsr = false;
    bool m_port = false;
};
