#include "audio/AudioConfigDialog.h"

#include "Settings.h"
#include "audio/AudioCapture.h"
#include "audio/StreamTarget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QVBoxLayout>

AudioConfigDialog::AudioConfigDialog(Settings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_preview(std::make_unique<AudioCapture>()) {
    setObjectName(QStringLiteral("frmAudio"));
    setWindowTitle(tr("Audio"));

    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("cbAudioDevice"));
    m_device->addItem(tr("(the default input)"), QString());
    for (const QString& name : AudioCapture::inputNames())
        m_device->addItem(name, name);
    const QString stored = settings.audioDevice();
    int at = m_device->findData(stored);
    if (at < 0 && !stored.isEmpty()) {
        // Unplugged now, but still the choice: keep it in the list.
        m_device->addItem(tr("%1 (not connected)").arg(stored), stored);
        at = m_device->count() - 1;
    }
    m_device->setCurrentIndex(std::max(at, 0));
    m_level = new QProgressBar(this);
    m_level->setObjectName(QStringLiteral("pbLevel"));
    m_level->setRange(0, 100);
    m_level->setTextVisible(false);

    m_record = new QCheckBox(tr("Record each hit (a file per transmission)"), this);
    m_record->setObjectName(QStringLiteral("chkRecord"));
    m_record->setChecked(settings.recordAudio());
    m_vox = new QCheckBox(tr("Record on audio level alone (VOX)"), this);
    m_vox->setObjectName(QStringLiteral("chkVox"));
    m_vox->setChecked(settings.recordVox());
    m_days = new QSpinBox(this);
    m_days->setObjectName(QStringLiteral("spKeepDays"));
    m_days->setRange(0, 3650);
    m_days->setSpecialValueText(tr("for ever"));
    m_days->setSuffix(tr(" days"));
    m_days->setValue(settings.recordingsDays());
    m_maxGb = new QDoubleSpinBox(this);
    m_maxGb->setObjectName(QStringLiteral("spMaxGb"));
    m_maxGb->setRange(0, 100000);
    m_maxGb->setDecimals(1);
    m_maxGb->setSpecialValueText(tr("no limit"));
    m_maxGb->setSuffix(tr(" GB"));
    m_maxGb->setValue(settings.recordingsMaxGb());

    m_streamUrl = new QLineEdit(StreamTarget::withoutPassword(settings.streamUrl()), this);
    m_streamUrl->setObjectName(QStringLiteral("tbStreamUrl"));
    m_streamUrl->setPlaceholderText(QStringLiteral("icecast://source@feeds.example.net:8000/scanner.mp3"));
    m_streamPassword = new QLineEdit(StreamTarget::passwordOf(settings.streamUrl()), this);
    m_streamPassword->setObjectName(QStringLiteral("tbStreamPassword"));
    m_streamPassword->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(tr("Input:"), m_device);
    form->addRow(tr("Level:"), m_level);
    form->addRow(QString(), m_record);
    form->addRow(QString(), m_vox);
    form->addRow(tr("Keep recordings:"), m_days);
    form->addRow(tr("At most:"), m_maxGb);
    form->addRow(tr("Live stream:"), m_streamUrl);
    form->addRow(tr("Stream password:"), m_streamPassword);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        save();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_device, &QComboBox::currentIndexChanged, this, &AudioConfigDialog::onDeviceChosen);
    connect(m_preview.get(), &AudioCapture::level, m_level,
            [this](double peak) { m_level->setValue(int(peak * 100)); });
    onDeviceChosen();
}

AudioConfigDialog::~AudioConfigDialog() = default;

void AudioConfigDialog::onDeviceChosen() {
    m_level->setValue(0);
    m_preview->setDeviceName(m_device->currentData().toString());
    m_preview->start();
}

int AudioConfigDialog::levelShown() const {
    return m_level->value();
}

void AudioConfigDialog::save() {
    m_settings.setAudioDevice(m_device->currentData().toString());
    m_settings.setRecordAudio(m_record->isChecked());
    m_settings.setRecordVox(m_vox->isChecked());
    m_settings.setRecordingsDays(m_days->value());
    m_settings.setRecordingsMaxGb(m_maxGb->value());
    m_settings.setStreamUrl(StreamTarget::withPassword(m_streamUrl->text(), m_streamPassword->text()));
}
