#pragma once
// A program folder in a temporary directory, with settings files written by the test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "app/settings_files.h"

namespace kav::app::testing {

class SettingsFixture {
  public:
    QString programDir() const { return root_.path() + "/bin"; }
    QString configDir() const { return root_.path() + "/cfg"; }
    QString dataDir() const { return root_.path() + "/data"; }
    QString userDir() const { return root_.path() + "/user/kav-skytraq"; }  // made by Save
    QString connexionPath() const { return configDir() + "/Connexion.cfg"; }
    SettingsPlaces places() const { return {programDir(), userDir()}; }

    SettingsFixture() {
        QDir(root_.path()).mkpath("bin");
        QDir(root_.path()).mkpath("cfg");
        QDir(root_.path()).mkpath("data");
    }

    void writeDataFolder(const QByteArray& content, const QString& where = {}) const {
        write((where.isEmpty() ? programDir() : where) + "/data_folder.cfg", content);
    }
    // data_folder.cfg pointing at the config folder, and Connexion.cfg with content.
    void writeBoth(const QByteArray& connexion) const {
        writeDataFolder(configDir().toLocal8Bit() + "\r\n");
        write(connexionPath(), connexion);
    }
    // Connexion.cfg from lines, ended by CR LF.
    static QByteArray lines(const QStringList& items) {
        QByteArray out;
        for (const QString& item : items) out += item.toLocal8Bit() + "\r\n";
        return out;
    }
    QByteArray readConnexion() const {
        QFile file(connexionPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void write(const QString& path, const QByteArray& content) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(content);
    }

  private:
    QTemporaryDir root_;
};

}  // namespace kav::app::testing
