#include "ResticCommand.h"

namespace tillora {

namespace {

// Whatever the program's own environment says about restic or cloud keys must not reach
// the child: a stray RESTIC_PASSWORD_FILE or AWS_PROFILE would point it elsewhere.
bool inheritedKeyIsOurs(const QString& name) {
    return name.startsWith(QLatin1String("RESTIC_")) || name.startsWith(QLatin1String("AWS_")) ||
           name.startsWith(QLatin1String("B2_"));
}

// The limits of the calls, generous enough for a slow line: a call that needs more is
// stuck. The backup's own limit is the owner's ([Offsite] MaxHours).
constexpr std::chrono::minutes QuickCall{10};  // init, unlock, snapshots
constexpr std::chrono::hours UpkeepCall{4};    // a check reading 5% of the data, a prune
constexpr std::chrono::hours WholeRestore{24}; // every file of the store, downloaded
constexpr std::chrono::hours SomeFiles{2};     // a few hundred MB on a slow line

// restic reads an --include as a pattern: a character that means something there stands
// for any one character, so the name still matches (and nothing far from it).
QString includePattern(QString path) {
    for (QChar& c : path) {
        if (c == u'*' || c == u'?' || c == u'[' || c == u']' || c == u'\\')
            c = u'?';
    }
    return path;
}

} // namespace

ResticCommands::ResticCommands(OffsiteOptions options, OffsiteSecrets secrets)
    : options_(std::move(options))
    , secrets_(std::move(secrets))
    , environment_(QProcessEnvironment::systemEnvironment()) {
    for (const QString& name : environment_.keys()) {
        if (inheritedKeyIsOurs(name))
            environment_.remove(name);
    }
    environment_.insert(QStringLiteral("RESTIC_REPOSITORY"),
                        joinRepositoryPassword(options_.repository, secrets_.serverPassword));
    environment_.insert(QStringLiteral("RESTIC_PASSWORD"), secrets_.password);
    // Progress twice a second is plenty for a progress bar; restic's default is 60.
    environment_.insert(QStringLiteral("RESTIC_PROGRESS_FPS"), QStringLiteral("2"));
    const QString kind = options_.repository.section(u':', 0, 0).toLower();
    if (kind == QLatin1String("s3")) {
        environment_.insert(QStringLiteral("AWS_ACCESS_KEY_ID"), secrets_.accessKey);
        environment_.insert(QStringLiteral("AWS_SECRET_ACCESS_KEY"), secrets_.secretKey);
    } else if (kind == QLatin1String("b2")) {
        environment_.insert(QStringLiteral("B2_ACCOUNT_ID"), secrets_.accessKey);
        environment_.insert(QStringLiteral("B2_ACCOUNT_KEY"), secrets_.secretKey);
    }
}

ResticCall ResticCommands::call(QStringList arguments, std::chrono::milliseconds limit,
                                bool limitsUpload) const {
    if (limitsUpload && options_.limitUploadKiB > 0)
        arguments << QStringLiteral("--limit-upload") << QString::number(options_.limitUploadKiB);
    return {options_.resticProgramOrDefault(), arguments, environment_, limit};
}

ResticCall ResticCommands::init() const {
    return call({QStringLiteral("init")}, QuickCall);
}

ResticCall ResticCommands::unlock() const {
    return call({QStringLiteral("unlock")}, QuickCall);
}

ResticCall ResticCommands::backup(const QString& listFile, const QStringList& tags,
                                  const QString& parent) const {
    QStringList arguments{QStringLiteral("backup"), QStringLiteral("--json"),
                          QStringLiteral("--files-from-raw"), listFile};
    for (const QString& tag : tags)
        arguments << QStringLiteral("--tag") << tag;
    // restic looks for a parent with exactly the same paths; the list of files changes
    // from night to night, so without this every file would be read again.
    if (!parent.isEmpty())
        arguments << QStringLiteral("--parent") << parent;
    return call(arguments, std::chrono::hours(options_.maxHours), true);
}

ResticCall ResticCommands::check() const {
    return call({QStringLiteral("check"), QStringLiteral("--read-data-subset=5%")}, UpkeepCall);
}

ResticCall ResticCommands::forgetAndPrune() const {
    // Grouped by host and tags: the default also groups by paths, and our paths are the
    // night's list of files, so every snapshot would be a group of one and none would go.
    return call({QStringLiteral("forget"), QStringLiteral("--tag"), programTag(),
                 QStringLiteral("--group-by"), QStringLiteral("host,tags"),
                 QStringLiteral("--keep-daily"), QString::number(options_.keep.days),
                 QStringLiteral("--keep-weekly"), QString::number(options_.keep.weeks),
                 QStringLiteral("--keep-monthly"), QString::number(options_.keep.months),
                 QStringLiteral("--prune")},
                UpkeepCall, true);
}

ResticCall ResticCommands::snapshots() const {
    return call({QStringLiteral("snapshots"), QStringLiteral("--json")}, QuickCall);
}

ResticCall ResticCommands::restore(const QString& snapshotId, const QString& targetFolder) const {
    return call({QStringLiteral("restore"), snapshotId, QStringLiteral("--target"), targetFolder},
                WholeRestore);
}

ResticCall ResticCommands::restoreFiles(const QString& snapshotId, const QString& targetFolder,
                                        const QStringList& snapshotPaths) const {
    QStringList arguments{QStringLiteral("restore"), snapshotId, QStringLiteral("--target"),
                          targetFolder};
    for (const QString& path : snapshotPaths)
        arguments << QStringLiteral("--include") << includePattern(path);
    return call(arguments, SomeFiles);
}

ResticCall ResticCommands::listFiles(const QString& snapshotId) const {
    return call({QStringLiteral("ls"), QStringLiteral("--json"), snapshotId}, QuickCall);
}

QStringList ResticCommands::secretValues() const {
    QStringList values;
    for (const QString* value :
         {&secrets_.password, &secrets_.accessKey, &secrets_.secretKey, &secrets_.serverPassword}) {
        if (!value->isEmpty())
            values.append(*value);
    }
    return values;
}

QString storeTag(const QString& companyName) {
    QString tag;
    for (const QChar c : companyName.trimmed()) {
        if (c.isLetterOrNumber())
            tag.append(c);
        else if ((c.isSpace() || c == u'-') && !tag.isEmpty() && !tag.endsWith(u'-'))
            tag.append(u'-');
    }
    while (tag.endsWith(u'-'))
        tag.chop(1);
    return tag;
}

} // namespace tillora
