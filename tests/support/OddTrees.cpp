#include "tests/support/OddTrees.h"

#include "tests/support/TestHelpers.h"

#include <sys/stat.h>
#include <unistd.h>

namespace testenv {

QByteArray makeOddTree(const QString& base) {
  const QByteArray root = (base + QStringLiteral("/Medium/")).toUtf8();
  makeDir(root);
  writeFile(root + "plain.txt", 10);
  writeFile(root + " leading blank.txt", 5);
  writeFile(root + ".hidden", 7);
  writeFile(root + "Ümlaut ä.txt", 3);
  writeFile(root + "bad\xff\xfe.bin", 40000);
  writeFile(root + "x\xff", 2);
  writeFile(root + "x\xfe", 3);
  makeDir(root +
          "\xdc"
          "ber");
  writeText(root +
                "\xdc"
                "ber/liesmich.txt",
            "Gr\xfc\xdf"
            "e aus K\xf6ln");
  writeText(root + "README", "upper");
  writeText(root + "readme", "lower");
  mkfifo((root + "pipe").constData(), 0644);
  makeDir(root + "empty");
  makeDir(root + "sub");
  symlink("sub", (root + "link-to-sub").constData());
  makeDir(root + "sub/deep");
  writeFile(root + "sub/deep/x.dat", 100000);
  writeFile(root + "sub/y", 0);
  writeText(root + "sub/ReadMe", "mixed case");
  makeDir(root + ".hiddendir");
  writeFile(root + ".hiddendir/z", 1);
  makeDir(root + "Ordner mit Ä\xff");
  writeFile(root + "Ordner mit Ä\xff/inner", 12);
  return root;
}

QByteArray oddMedium(const QString& base) {
  const QByteArray root = (base + QStringLiteral("/Fotos vom Strand ")).toUtf8();
  makeDir(root);
  writeFile(root + "/ leading blank.jpg", 5);
  writeFile(root + "/trailing blank ", 6);
  writeFile(root + "/Grüße aus Köln – Ä Ö Ü ß.txt", 7);
  writeFile(root + "/caf\xc3\xa9 composed", 1);
  writeFile(root + "/cafe\xcc\x81 decomposed", 2);
  writeFile(root + "/Latin-1 \xe4rger.txt", 3);  // not UTF-8
  writeFile(root + "/O'Brien | 50% _x_ [alt] #1.dat", 8);
  writeFile(root + "/README", 9);
  writeFile(root + "/readme", 10);
  writeFile(root + "/.versteckt", 11);
  writeFile(root + "/" + QByteArray(250, 'n') + ".txt", 12);
  mkfifo((root + "/eine Pipe").constData(), 0644);
  makeDir(root + "/leer");
  makeDir(root + "/.versteckter Ordner");
  writeFile(root + "/.versteckter Ordner/drin", 13);
  makeDir(root + "/Ordner \xff kaputt");
  writeFile(root + "/Ordner \xff kaputt/datei", 14);
  QByteArray deep = root;
  for (int i = 1; i <= 6; ++i) {
    deep += "/Ebene " + QByteArray::number(i);
    makeDir(deep);
    writeFile(deep + "/tief " + QByteArray::number(i), 100 * i);
  }
  symlink("Ebene 1", (root + "/Verweis auf Ordner").constData());
  symlink("README", (root + "/Verweis auf Datei").constData());
  symlink("gibt es nicht", (root + "/toter Verweis").constData());
  return root;
}

}  // namespace testenv
