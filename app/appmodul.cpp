#include "app/appmodul.h"

#include "app/commands.h"
#include "app/mainform.h"
#include "platform/core/filesys.h"
#include "platform/core/heldfolder.h"
#include "platform/core/wholefile.h"
#include "platform/gui/filenames.h"
#include "platform/gui/instance.h"
#include "platform/gui/listbox.h"
#include "platform/gui/resources.h"
#include "platform/gui/sysfolders.h"
#include "platform/gui/toolkit.h"

#include <QWidget>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace AppModul {

QString PhrasePath;
int16_t ShowEnding = 0;
int16_t AutoPlay = 0;
int16_t PhraseSync = 0;
int16_t SilentSave = 0;
int16_t ActiveList = 0;
int16_t LayerPlaying[4] = { 0, 0, 0, 0 };
QString DefaultWav;
QString DirSelectPath;
QString DirSelectCaption;
int16_t DirSelectBusy = 0;

namespace {

std::function<MainForm*()> g_factory;
MainForm* g_form = nullptr;

// The hidden enumerators of the main window: one lists a folder's subfolders, the other its "*.wav" files.
// Both keep what their last refresh found until they are refreshed again.
struct FolderEnumerator
{
    QString Path;
    platform::fs::HeldFolder Folder; // Path, held
    std::vector<std::string> names;
    void Refresh() { names = Folder.subfolders(); }
    int ListCount() const { return int(names.size()); }
    // Full path of subfolder i, as the directory list gives it (no trailing separator).
    QString List(int i) const
    {
        QString folder = Path;
        Commands::AddBackslash(folder);
        return folder + platform::textFromFileName(names[size_t(i)]);
    }
};

struct FileEnumerator
{
    platform::fs::HeldFolder Folder;
    std::vector<std::string> names;
    void Refresh() { names = Folder.files("*.wav"); }
    int ListCount() const { return int(names.size()); }
    QString List(int i) const { return platform::textFromFileName(names[size_t(i)]); }
};

FolderEnumerator Dir1;
FileEnumerator File2;
unsigned g_fillGeneration = 0; // counts the fillings of the phrase lists

platform::fs::HeldFolder g_programFolder;
platform::fs::HeldFolder g_phraseFolder;

// What an entry of a phrase list shows, and the file it was made from (its index in File2's names).
struct ListedFile
{
    QString shown;
    std::size_t file;
};
std::vector<ListedFile> g_listed[3]; // by list and row, as the last filling added them

// The list a shown phrase name belongs to: "_1", "_2", "_3" anywhere, tested in that order; -1 for all three.
int layerOf(const QString& shown)
{
    for (int k = 0; k < 3; ++k) {
        const QChar suffix[2] = { QLatin1Char('_'), QChar(u'1' + k) };
        if (shown.contains(QStringView(suffix, 2))) {
            return k;
        }
    }
    return -1;
}

// Reads one option of the program settings file into its flag; a value out of range leaves the flag.
void readOption(int16_t& flag, const char* key, const char* defaultValue)
{
    // Through the program folder held since the start, the same file as Commands::IniFile names.
    const QString text = Commands::ReadINI(Commands::AppTitle, QLatin1String(key), g_programFolder,
                                           Commands::ExeName + QStringLiteral(".ini"), QLatin1String(defaultValue));
    if (const std::optional<int16_t> value = Commands::TextToInt16(text)) {
        flag = *value;
    }
}

// The user's own file of that name in the temporary folder, found whatever its case, or written there now
// when the name is free; nothing when the name is taken by anything else.
std::optional<QString> ownDefaultSound(const QString& name)
{
    const QString wanted = platform::textFromFileName(platform::diskPath(Commands::TempDir + name));
    const std::string path = platform::fileNameFromText(wanted);
    if (platform::fs::isOwnRegularFile(path) && Commands::FileExists(wanted)) {
        return wanted;
    }
    if (!platform::fs::nameTaken(path)
        && !Commands::ExtractResource(wanted, QStringLiteral("DEFAULT"), QStringLiteral("WAVE")).isEmpty()) {
        return wanted;
    }
    return std::nullopt;
}

// True when path is the user's own regular file (not a link) and holds exactly these bytes.
bool ownFileHolds(const std::string& path, const QByteArray& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_size == bytes.size();
    if (same) {
        QByteArray held(bytes.size(), Qt::Uninitialized);
        same = ::read(fd, held.data(), std::size_t(held.size())) == held.size() && held == bytes;
    }
    ::close(fd);
    return same;
}

// A private copy that an earlier start wrote under a name of its own, found again by its bytes.
std::optional<QString> earlierPrivateCopy(const QByteArray& sound)
{
    const std::string folder = platform::fileNameFromText(Commands::TempDir);
    for (const std::string& name : platform::fs::listFiles(folder, "Default-*.wav")) {
        if (ownFileHolds(folder + name, sound)) {
            return platform::textFromFileName(folder + name);
        }
    }
    return std::nullopt;
}

// The default sound in the temporary folder: the user's own "Default.wav" there, found whatever its case
// and used as it is, else written there now. Where that name holds a link, another user's file or
// anything else that is not the user's own readable file, a private copy is used instead: found again
// when an earlier start wrote it, else written under a new name, so that nothing is loaded from or written
// through what another user put there, and copies do not pile up.
QString defaultSound()
{
    const QString name = QStringLiteral("Default.wav");
    // The private copy keeps one name per user, so that later starts find it again instead of adding more.
    for (const QString& candidate : { name, QStringLiteral("Default-%1.wav").arg(::getuid()) }) {
        if (const std::optional<QString> found = ownDefaultSound(candidate)) {
            return *found;
        }
    }
    if (const auto bytes = platform::loadResData(QStringLiteral("DEFAULT"), QStringLiteral("WAVE"))) {
        if (const std::optional<QString> earlier = earlierPrivateCopy(*bytes)) {
            return *earlier;
        }
        if (const auto own = platform::fs::writeUniqueFile(platform::fileNameFromText(Commands::TempDir), "Default-",
                                                           ".wav", bytes->toStdString(), platform::fs::newFileMode())) {
            return platform::textFromFileName(*own);
        }
    }
    return Commands::TempDir + name; // nothing could be written: the sound slots stay empty
}

} // namespace

void setMainFormFactory(std::function<MainForm*()> factory)
{
    g_factory = std::move(factory);
}

MainForm* mainForm()
{
    if (!g_form && g_factory) {
        g_form = g_factory();
    }
    return g_form;
}

void discardMainForm()
{
    delete g_form;
    g_form = nullptr;
}

namespace {

// Settings, lists and default sound, then the window: titled, shown, and its sound started.
void startInFolders()
{
    LoadSettings();
    if (MainForm* form = mainForm()) {
        form->window()->setWindowTitle(Commands::AppTitle);
        form->window()->show();
        form->LoadDXSound();
    }
}

} // namespace

StartResult Main()
{
    const platform::InstanceLock lock = platform::acquireSingleInstance();
    if (!lock.first) {
        if (lock.failure.empty()) {
            return StartResult::AnotherCopyRuns;
        }
        std::fprintf(stderr, "Corvadel is not starting: it can have no lock against a second copy (%s)\n",
                     lock.failure.c_str());
        return StartResult::NoLock;
    }
    Commands::InitPaths();
    startInFolders();
    return StartResult::Started;
}

void Main(const QString& ProgramFolder, const QString& TempFolder, const QString& ExeName)
{
    Commands::AppPath = ProgramFolder;
    Commands::AddBackslash(Commands::AppPath);
    Commands::ExeName = ExeName;
    Commands::TempDir = TempFolder;
    Commands::AddBackslash(Commands::TempDir);
    startInFolders();
}

void LoadSettings()
{
    Commands::AppTitle = QStringLiteral("Vellmarin Corvadel");
    // The settings file is named after the executable and lies beside it. The executable has no ".exe"
    // here, so the long form is taken of the program folder, which exists, and "<name>.ini" added to it.
    Commands::IniFile = Commands::GetLongName(Commands::AppPath) + Commands::ExeName + QStringLiteral(".ini");
    g_programFolder = platform::fs::HeldFolder::open(platform::fileNameFromText(Commands::AppPath));
    PhrasePath = Commands::AppPath;
    g_phraseFolder = g_programFolder;

    readOption(ShowEnding, "ShowEnding", "0");
    readOption(AutoPlay, "AutoPlay", "1");
    readOption(PhraseSync, "PhraseSync", "1");

    // First use of the main window: it is created and loaded here and stays hidden.
    if (MainForm* form = mainForm()) {
        form->setShowExtensionChecked(ShowEnding == 1);
        form->setAutoPlayChecked(AutoPlay == 1);
        form->setPhraseSyncChecked(PhraseSync == 1);
    }

    FillFolderList();

    DefaultWav = defaultSound();
}

void FillFolderList()
{
    MainForm* form = mainForm();
    if (!form) {
        return;
    }
    platform::ListBox* List1 = form->folderList();
    Dir1.Path = PhrasePath;
    Dir1.Folder = g_phraseFolder;
    Dir1.Refresh();
    List1->Clear();
    const int count = Dir1.ListCount();
    if (count == 0) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        QString full = Dir1.List(i);
        Commands::RemoveBackslash(full);
        const QString name = full.mid(Commands::AppPath.length());
        if (!name.startsWith(QLatin1Char('_'))) {
            List1->AddItem(name);
        }
    }
    List1->setSelected(0); // raises the folder list's click handler, which fills the phrase lists
}

void FillPhraseLists(const platform::fs::HeldFolder& Folder)
{
    MainForm* form = mainForm();
    if (!form) {
        return;
    }
    const unsigned generation = ++g_fillGeneration;
    File2.Folder = Folder;
    File2.Refresh();
    for (int k = 0; k < 3; ++k) {
        form->phraseList(k)->Clear();
        g_listed[k].clear();
    }
    platform::doEvents();
    // A handler that ran meanwhile may have filled the lists afresh (another folder was chosen); that
    // filling is the newer one, and going on here would only add its names a second time.
    if (generation != g_fillGeneration) {
        return;
    }
    // Each list takes all its entries at once: one update of the list box, not one per entry.
    QStringList entries[3];
    const int count = File2.ListCount();
    for (int i = 0; i < count; ++i) {
        QString shown = File2.List(i);
        if (ShowEnding == 0) {
            shown.chop(4);
        }
        const int layer = layerOf(shown);
        for (int k = 0; k < 3; ++k) {
            if (layer == k || layer == -1) {
                entries[k].append(shown);
                g_listed[k].push_back({ shown, std::size_t(i) });
            }
        }
    }
    for (int k = 0; k < 3; ++k) {
        form->phraseList(k)->AddItems(entries[k]);
    }
}

void FillPhraseLists(const QString& Folder)
{
    choosePhraseFolder(Folder);
    FillPhraseLists(g_phraseFolder);
}

const platform::fs::HeldFolder& programFolder()
{
    return g_programFolder;
}

const platform::fs::HeldFolder& phraseFolder()
{
    return g_phraseFolder;
}

void choosePhraseFolder(const QString& Folder)
{
    PhrasePath = Folder;
    g_phraseFolder = platform::fs::HeldFolder::open(platform::fileNameFromText(Folder));
}

void choosePhraseFolderNamed(const QString& Name)
{
    PhrasePath = Commands::AppPath + Name;
    Commands::AddBackslash(PhrasePath);
    g_phraseFolder
        = g_programFolder.openSub(platform::fileNameFromText(Name), platform::fs::HeldFolder::Links::Trusted);
}

std::optional<std::string> selectedPhraseFile(int k)
{
    MainForm* form = mainForm();
    if (!form || k < 0 || k > 2) {
        return std::nullopt;
    }
    const platform::ListBox* list = form->phraseList(k);
    const int row = list->ListIndex();
    // Only an entry that the last filling made, still in its place, leads to a file.
    if (row < 0 || size_t(row) >= g_listed[k].size() || list->ListCount() != int(g_listed[k].size())
        || g_listed[k][size_t(row)].shown != list->List(row)) {
        return std::nullopt;
    }
    return File2.names[g_listed[k][size_t(row)].file];
}

void ResetState()
{
    PhrasePath.clear();
    ShowEnding = AutoPlay = PhraseSync = SilentSave = ActiveList = 0;
    for (int16_t& flag : LayerPlaying) {
        flag = 0;
    }
    DefaultWav.clear();
    DirSelectPath.clear();
    DirSelectCaption.clear();
    DirSelectBusy = 0;
    Dir1 = {};
    File2 = {};
    g_programFolder = {};
    g_phraseFolder = {};
    for (auto& listed : g_listed) {
        listed.clear();
    }
}

} // namespace AppModul
