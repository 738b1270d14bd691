// A second program on a catalogue: opens it shared as the program does and adds one category
// row. Tests start it to write while the program works on the same file.
//
//   catalogue_writer <catalogue> <CID>          open and write at once
//   catalogue_writer <catalogue> <CID> --wait   open, print "open", write once a line arrives
//
// Prints "ok" once the row is committed, else "error <number>", and ends with 0 either way
// (1 when it could not even start).

#include "platform/jet/Database.h"
#include "platform/jet/Engine.h"
#include "platform/jet/Workspace.h"
#include "platform/runtime/RaisedError.h"
#include "tests/support/TestCatalogue.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) return 1;
  const QString path = args[1];
  const int cid = args[2].toInt();
  const bool wait = args.size() > 3 && args[3] == QLatin1String("--wait");
  try {
    jet::Engine engine;
    auto ws = testenv::catalogueWorkspace(engine);
    auto db = ws->OpenDatabase(path, false);
    if (wait) {
      std::printf("open\n");
      std::fflush(stdout);
      std::string line;
      std::getline(std::cin, line);
    }
    db->Execute(QStringLiteral("INSERT INTO tblCATEGORIES (CID, CatName) VALUES (?, ?)"), jet::dbFailOnError,
                {rt::Variant(cid), rt::Variant(QStringLiteral("von nebenan %1").arg(cid))});
    ws->Close();
    std::printf("ok\n");
  } catch (const rt::RaisedError& e) {
    std::printf("error %d\n", e.number);
  }
  std::fflush(stdout);
  return 0;
}
