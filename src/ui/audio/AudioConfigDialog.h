#pragma once

#include <QDialog>

#include <memory>

class AudioCapture;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QProgressBar;
class QSpinBox;
class Settings;

/**
 * Config > Audio: the sound card input the scanner's audio comes in on (with a live level meter of
 * the one chosen), recording per hit or on level (VOX), how long recordings are kept, and the live
 * stream. The stream's password has a field of its own that never shows it.
 */
class AudioConfigDialog : public QDialog {
    Q_OBJECT

public:
    explicit AudioConfigDialog(Settings& settings, QWidget* parent = nullptr);
    ~AudioConfigDialog() override;

    /// Writes the choices to the settings (what OK does).
    void save();
    /// The meter's value, 0 to 100.
    int levelShown() const;

private:
    void onDeviceChosen();

    Settings& m_settings;
    std::unique_ptr<AudioCapture> m_preview;
    QComboBox* m_device = nullptr;
    QProgressBar* m_level = nullptr;
    QCheckBox* m_record = nullptr;
    QCheckBox* m_vox = nullptr;
    QSpinBox* m_days = nullptr;
    QDoubleSpinBox* m_maxGb = nullptr;
    QLineEdit* m_streamUrl = nullptr;
    QLineEdit* m_streamPassword = nullptr;
};
