#pragma once

#include <QString>
#include <QTimer>

#include <QWidget>
#include <utility>

/**
 * frmSplash: the product, the scanner and the version, on screen for a few seconds while the
 * program starts. start() shows it and finished() follows when the time is up; nothing blocks.
 */
class SplashWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDefaultDurationMs = 3000;

    SplashWindow(int scannerModel, const QString& appTitle, const QString& buildDateText,
                 int durationMs = kDefaultDurationMs, QWidget* parent = nullptr);

    /// Shows the window and starts the timer.
    void start();
    /// Maker and model shown for a model code: 1 is the RadioShack PRO-2052, any other the BC780XLT.
    static std::pair<QString, QString> scannerNames(int scannerModel);

Q_SIGNALS:
    void finished();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTimer m_timer;
};
