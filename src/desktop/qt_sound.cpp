// SPDX-License-Identifier: GPL-3.0-or-later
// The shutter sound. On Linux through libcanberra as an event sound, so that
// the desktop's sound settings hold (its event-sound volume, and its switch
// for event sounds); on Windows through the system's own wave playback.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "desktop/qt_services.h"

#ifdef _WIN32
#include "desktop/win32_services.h"
#else
#include <canberra.h>

#include "desktop/xsettings.h"
#endif

namespace vis {

#ifdef _WIN32

struct QtSound::Impl {};

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::playWave(const std::string& path) { win32::Sound().playWave(path); }

#else

namespace {

// A sound server (PulseAudio, PipeWire), the user's own ALSA set-up, or a
// sound card. With none, libcanberra's ALSA backend would fill stderr at
// each sound.
bool soundDevicePresent() {
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    for (const char* socket : {"pulse/native", "pipewire-0"})
        if (!runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QLatin1String(socket)))) return true;
    if (QFileInfo::exists(QDir::home().filePath(QStringLiteral(".asoundrc")))) return true;
    QFile cards(QStringLiteral("/proc/asound/cards"));
    if (!cards.open(QIODevice::ReadOnly)) return false;  // no ALSA in the kernel: no card
    while (!cards.atEnd()) {
        const QByteArray line = cards.readLine().trimmed();
        if (!line.isEmpty() && line.front() >= '0' && line.front() <= '9') return true;
    }
    return false;
}

}  // namespace

struct QtSound::Impl {
    ca_context* context = nullptr;
    bool unavailable = false;

    ~Impl() {
        if (context) ca_context_destroy(context);
    }
};

QtSound::QtSound() : d_(std::make_unique<Impl>()) {}
QtSound::~QtSound() = default;

void QtSound::playWave(const std::string& path) {
    if (d_->unavailable || !QFileInfo::exists(QString::fromStdString(path))) return;
    if (!d_->context) {
        if (!soundDevicePresent() || ca_context_create(&d_->context) != CA_SUCCESS) {
            d_->context = nullptr;
            d_->unavailable = true;
            return;
        }
        ca_context_change_props(d_->context, CA_PROP_APPLICATION_NAME, "Vistrelle", CA_PROP_APPLICATION_ID,
                                VIS_APP_ID, CA_PROP_APPLICATION_ICON_NAME, VIS_APP_ID, nullptr);
    }
    // Read at each sound: the user may switch event sounds off meanwhile.
    // Switched off, libcanberra itself refuses to play.
    const bool enabled = xsettings::eventSoundsEnabled(x11Display());
    ca_context_change_props(d_->context, CA_PROP_CANBERRA_ENABLE, enabled ? "1" : "0", nullptr);
    // Starts the sound and returns; no device, or sounds off: silence, as
    // the flash goes on without it.
    ca_context_play(d_->context, 0, CA_PROP_MEDIA_FILENAME, path.c_str(), CA_PROP_MEDIA_ROLE, "event",
                    CA_PROP_EVENT_DESCRIPTION, "Déclencheur", nullptr);
}

#endif

}  // namespace vis
