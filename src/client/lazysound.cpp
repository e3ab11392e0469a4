#include "client/lazysound.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

const char* const kModuleName = "hangman-sound";

} // namespace

LazySound::LazySound(QStringList folders) : m_folders(std::move(folders)) {}

// The module stays loaded: Qt Multimedia keeps state of its own until the program ends.
LazySound::~LazySound() = default;

QStringList LazySound::moduleFolders()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{programFolder, QDir::cleanPath(programFolder + QStringLiteral("/../lib/games/hangman"))};
#ifdef HANGMAN_SOUND_MODULE_BUILD_DIR
    folders << QStringLiteral(HANGMAN_SOUND_MODULE_BUILD_DIR);
#endif
    return folders;
}

void LazySound::load()
{
    m_tried = true;
    QString reasons;
    for (const QString& folder : m_folders) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(kModuleName));
        if (!QFileInfo::exists(path + QStringLiteral(".so")))
            continue;
        m_module.setFileName(path);
        using Create = SoundOutput* (*)();
        if (auto create = reinterpret_cast<Create>(m_module.resolve(kCreateSoundOutput))) {
            m_output.reset(create());
            return;
        }
        reasons += QStringLiteral(" (%1)").arg(m_module.errorString());
    }
    QTextStream(stderr) << "Hangman: no sounds, the sound module " << kModuleName
                        << ".so was not found or could not be loaded in " << m_folders.join(QStringLiteral(", "))
                        << reasons << '\n';
}

void LazySound::play(const QString& name)
{
    if (!m_tried)
        load();
    if (m_output)
        m_output->play(name);
}

void LazySound::stop()
{
    if (m_output)
        m_output->stop();
}

bool LazySound::isPlaying() const
{
    return m_output && m_output->isPlaying();
}

QString LazySound::currentSound() const
{
    return m_output ? m_output->currentSound() : QString();
}
