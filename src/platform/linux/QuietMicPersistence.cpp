#include "QuietMicPersistence.h"

#include "AudioServerStartup.h"
#include "CheckedFile.h"
#include "Log.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray blockBegin = "### Tarnwick quiet microphone (added by Tarnwick, removed with it)\n";
const QByteArray blockEnd = "### end of Tarnwick quiet microphone\n";
const QByteArray systemInclude = ".include /etc/pulse/default.pa\n";

// SPA JSON, the PipeWire configuration syntax: a quoted string.
QByteArray spaString(const QByteArray &text)
{
    QByteArray out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

QuietMicProblem problem(QuietMicProblem::Code code, const QString &path, const QString &detail = QString())
{
    using Code = QuietMicProblem::Code;
    const char *what = code == Code::FileNotRead       ? "cannot be read"
                       : code == Code::FileNotWritten  ? "cannot be written"
                       : code == Code::NoStartupScript ? "reads no startup script"
                       : code == Code::FolderUnknown   ? "has no known configuration folder"
                                                       : "cannot be removed";
    qCWarning(lcAudio).noquote().nospace() << "quiet microphone: " << path << ' ' << what
                                           << (detail.isEmpty() ? QString() : QStringLiteral(": ") + detail);
    return QuietMicProblem{code, path, detail};
}

// Nothing when the file is absent; the error when it cannot be read.
std::optional<QString> read(const QString &path, QByteArray &contents)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return std::nullopt;
}

QuietMicProblem write(const QString &path, const QByteArray &contents)
{
    const QString why = CheckedFile::write(path, contents);
    return why.isEmpty() ? QuietMicProblem{} : problem(QuietMicProblem::Code::FileNotWritten, path, why);
}

} // namespace

const QList<QuietMicPersistence::Module> &QuietMicPersistence::modules()
{
    // Values with spaces are quoted for the module's argument parser, and
    // again inside for the property list parser.
    static const QList<Module> list{
        {"module-null-sink",
         QByteArray("sink_name=") + sinkName +
             " channels=1 sink_properties=\"device.description='Quiet Microphone Feed'\""},
        {"module-remap-source", QByteArray("master=") + sinkName +
                                    ".monitor source_name=TarnwickQuietMic_UID" +
                                    " source_properties=\"device.description='Quiet Microphone'\""},
    };
    return list;
}

namespace {
const QString pipeWireDropIn = QStringLiteral("/pipewire-pulse.conf.d/tarnwick-quiet-microphone.conf");
} // namespace

QuietMicPersistence::QuietMicPersistence(const AudioServerStartup &server)
    : m_pulseAudioFile(server.pulseAudioScript())
    , m_pipeWireFile(server.pipeWireFolder().isEmpty() ? QString() : server.pipeWireFolder() + pipeWireDropIn)
{}

QuietMicPersistence::QuietMicPersistence(const QString &configHome)
    : m_pulseAudioFile(configHome + QStringLiteral("/pulse/default.pa"))
    , m_pipeWireFile(configHome + QStringLiteral("/pipewire") + pipeWireDropIn)
{}

QuietMicProblem QuietMicPersistence::add(Server server) const
{
    return server == Server::PipeWire ? addToPipeWire() : addToPulseAudio();
}

QuietMicProblem QuietMicPersistence::remove() const
{
    const QuietMicProblem pulse = removeFromPulseAudio();
    const QuietMicProblem pipeWire = removeFromPipeWire();
    return pulse.failed() ? pulse : pipeWire;
}

QuietMicProblem QuietMicPersistence::addToPulseAudio() const
{
    const QString path = pulseAudioFile();
    if (path.isEmpty())
        return problem(QuietMicProblem::Code::NoStartupScript, QStringLiteral("PulseAudio"));
    QByteArray contents;
    if (const std::optional<QString> error = read(path, contents))
        return problem(QuietMicProblem::Code::FileNotRead, path, *error);
    if (contents.contains(blockBegin))
        return {};
    // A user file replaces the system's: start it from the system's.
    if (!QFileInfo::exists(path))
        contents = systemInclude;
    if (!contents.isEmpty() && !contents.endsWith('\n'))
        contents += '\n';
    contents += blockBegin + ".nofail\n";
    for (const Module &module : modules())
        contents += "load-module " + module.name + ' ' + module.arguments + '\n';
    contents += blockEnd;
    return write(path, contents);
}

QuietMicProblem QuietMicPersistence::removeFromPulseAudio() const
{
    const QString path = pulseAudioFile();
    if (path.isEmpty())
        return {};
    QByteArray contents;
    if (const std::optional<QString> error = read(path, contents))
        return problem(QuietMicProblem::Code::FileNotRead, path, *error);
    const qsizetype begin = contents.indexOf(blockBegin);
    if (begin < 0)
        return {};
    const qsizetype end = contents.indexOf(blockEnd, begin);
    contents.remove(begin, end < 0 ? contents.size() - begin : end + blockEnd.size() - begin);
    // Only what Tarnwick wrote is left: the file goes as it came.
    if (contents.trimmed() == systemInclude.trimmed() || contents.trimmed().isEmpty()) {
        if (!QFile::remove(path))
            return problem(QuietMicProblem::Code::FileNotRemoved, path);
        return {};
    }
    return write(path, contents);
}

QuietMicProblem QuietMicPersistence::addToPipeWire() const
{
    if (pipeWireFile().isEmpty())
        return problem(QuietMicProblem::Code::FolderUnknown, QStringLiteral("PipeWire"));
    QByteArray contents =
        "# Tarnwick's quiet microphone: soft white noise instead of a silenced microphone.\n"
        "pulse.cmd = [\n";
    for (const Module &module : modules())
        contents += "    { cmd = \"load-module\" args = " + spaString(module.name + ' ' + module.arguments) +
                    " flags = [ \"nofail\" ] }\n";
    contents += "]\n";
    return write(pipeWireFile(), contents);
}

QuietMicProblem QuietMicPersistence::removeFromPipeWire() const
{
    const QString path = pipeWireFile();
    if (!path.isEmpty() && QFileInfo::exists(path) && !QFile::remove(path))
        return problem(QuietMicProblem::Code::FileNotRemoved, path);
    return {};
}
