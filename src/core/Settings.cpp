#include "Settings.h"

#include <QSettings>

namespace {
const QString kSection = QStringLiteral("Config/");
}

Settings::Settings(const QString& applicationName)
    : m_applicationName(applicationName)
    , m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, applicationName)) {}

Settings::Settings(const QString& applicationName, const QString& iniFile)
    : m_applicationName(applicationName)
    , m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

Settings::~Settings() = default;

QString Settings::value(const QString& key, const QString& fallback) const {
    const QString stored = m_settings->value(kSection + key).toString().trimmed();
    return stored.isEmpty() ? fallback : stored;
}

void Settings::setValue(const QString& key, const QString& value) {
    m_settings->setValue(kSection + key, value.trimmed());
}

void Settings::sync() {
    m_settings->sync();
}

QString Settings::comPort() const {
    return value(QStringLiteral("Com_Port"));
}
void Settings::setComPort(const QString& port) {
    setValue(QStringLiteral("Com_Port"), port);
}
QString Settings::comSpeed() const {
    return value(QStringLiteral("Com_Speed"), QStringLiteral("19200"));
}
void Settings::setComSpeed(const QString& speed) {
    setValue(QStringLiteral("Com_Speed"), speed);
}
QString Settings::comDevice() const {
    return value(QStringLiteral("Com_Device"));
}
void Settings::setComDevice(const QString& device) {
    setValue(QStringLiteral("Com_Device"), device);
}
QString Settings::model() const {
    return value(QStringLiteral("Model"), QStringLiteral("pro2052"));
}
void Settings::setModel(const QString& v) {
    setValue(QStringLiteral("Model"), v);
}
QString Settings::remoteAddress() const {
    return value(QStringLiteral("Remote_Address"), QStringLiteral("any"));
}
QString Settings::remoteAllow() const {
    return value(QStringLiteral("Remote_Allow"));
}
QString Settings::pellwickPath() const {
    return value(QStringLiteral("Pellwick_Path"));
}
QString Settings::rigctlPort() const {
    return value(QStringLiteral("Rigctl_Port"));
}
QString Settings::rigctlAddress() const {
    return value(QStringLiteral("Rigctl_Address"));
}
QString Settings::tuneChannel() const {
    return value(QStringLiteral("Tune_Channel"));
}
QString Settings::webPort() const {
    return value(QStringLiteral("Web_Port"));
}
QString Settings::webAddress() const {
    return value(QStringLiteral("Web_Address"));
}
QString Settings::webToken() const {
    return value(QStringLiteral("Web_Token"));
}
void Settings::setWebToken(const QString& token) {
    setValue(QStringLiteral("Web_Token"), token);
}
QString Settings::webMaxClients() const {
    return value(QStringLiteral("Web_MaxClients"));
}
QString Settings::webCert() const {
    return value(QStringLiteral("Web_Cert"));
}
QString Settings::webKey() const {
    return value(QStringLiteral("Web_Key"));
}
QString Settings::remoteDb() const {
    return value(QStringLiteral("Remote_Db"));
}
void Settings::setRemoteDb(const QString& url) {
    setValue(QStringLiteral("Remote_Db"), url);
}
QString Settings::searchTimeout() const {
    return value(QStringLiteral("Search_Timeout"));
}
QString Settings::lowSearch() const {
    return value(QStringLiteral("Low_Search"), QStringLiteral("154.000"));
}
void Settings::setLowSearch(const QString& limit) {
    setValue(QStringLiteral("Low_Search"), limit);
}
QString Settings::hiSearch() const {
    return value(QStringLiteral("Hi_Search"), QStringLiteral("156.000"));
}
void Settings::setHiSearch(const QString& limit) {
    setValue(QStringLiteral("Hi_Search"), limit);
}
QString Settings::dwellTime() const {
    return value(QStringLiteral("DwellTime"));
}
void Settings::setDwellTime(const QString& position) {
    setValue(QStringLiteral("DwellTime"), position);
}

QString Settings::audioDevice() const {
    return value(QStringLiteral("Audio_Device"));
}
void Settings::setAudioDevice(const QString& name) {
    setValue(QStringLiteral("Audio_Device"), name);
}

bool Settings::recordAudio() const {
    return value(QStringLiteral("Record_Audio")) == QLatin1String("1");
}
void Settings::setRecordAudio(bool on) {
    setValue(QStringLiteral("Record_Audio"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool Settings::recordVox() const {
    return value(QStringLiteral("Record_Vox")) == QLatin1String("1");
}
void Settings::setRecordVox(bool on) {
    setValue(QStringLiteral("Record_Vox"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

int Settings::recordMinimumMs() const {
    bool ok = false;
    const int ms = value(QStringLiteral("Record_Min_Ms")).toInt(&ok);
    return ok && ms >= 0 ? ms : 1000;
}

int Settings::recordingsDays() const {
    bool ok = false;
    const int days = value(QStringLiteral("Recordings_Days")).toInt(&ok);
    return ok && days >= 0 ? days : 30;
}
void Settings::setRecordingsDays(int days) {
    setValue(QStringLiteral("Recordings_Days"), QString::number(days));
}

double Settings::recordingsMaxGb() const {
    bool ok = false;
    const double gb = value(QStringLiteral("Recordings_Max_GB")).toDouble(&ok);
    return ok && gb >= 0 ? gb : 2.0;
}
void Settings::setRecordingsMaxGb(double gb) {
    setValue(QStringLiteral("Recordings_Max_GB"), QString::number(gb));
}

QString Settings::streamUrl() const {
    return value(QStringLiteral("Stream_Url"));
}
void Settings::setStreamUrl(const QString& url) {
    setValue(QStringLiteral("Stream_Url"), url);
}
