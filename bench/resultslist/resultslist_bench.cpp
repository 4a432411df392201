// Fills the results list with 1,500 rows of 15 columns, as a large search
// does, column fitting included, against a plain QTreeWidget filled with
// the same rows in the same run; both are laid out and painted before the
// clock stops. The figures are medians, printed last as a ratio.
//
// resultslist_bench [--runs N]     (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "mainwindow/ResultsList.h"
#include "search/Columns.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int Rows = 1500;

using Row = std::vector<std::string>;

// Realistic cells, some beyond ASCII, of the lengths a directory returns.
std::vector<Row> MakeRows() {
    static const char* const first[] = {"Zoë", "José", "Adam", "Jane", "Maximiliane", "Sam",
                                        "Łukasz", "Peter", "Ingrid", "Mohammed"};
    static const char* const last[] = {"Müller", "Núñez", "Smithers", "Smith", "Oberländer",
                                       "Nophone", "Kowalski", "Andersson", "Al-Farsi", "Dupont"};
    static const char* const office[] = {"Berlin 2.14", "Madrid 1", "Boston 4.07", "Malmö 3.2"};
    static const char* const department[] = {"Sales", "Engineering", "Platform", "Support"};
    std::vector<Row> rows;
    rows.reserve(Rows);
    for (int i = 0; i < Rows; ++i) {
        const std::string given = first[i % 10], sn = last[(i / 10) % 10];
        const std::string n = std::to_string(1000 + i);
        rows.push_back({given + " " + sn + " " + n, sn + ", " + given, given, sn,
                        "u" + n, "+1 555 " + n, "+1 600 555 " + n, "+1 555 9" + n.substr(1),
                        n, "+1 555 7" + n.substr(1), "+1 555 8" + n.substr(1),
                        i % 7 == 0 ? "Senior engineer in the platform team, on call this week"
                                   : "Engineer",
                        office[i % 4], department[i % 4], "Example Corp"});
    }
    return rows;
}

QStringList Decode(const Row& cells) {
    QStringList texts;
    texts.reserve(qsizetype(cells.size()));
    for (const std::string& cell : cells)
        texts << QString::fromUtf8(cell.data(), qsizetype(cell.size()));
    return texts;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Milliseconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 15;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));

    const std::vector<Row> rows = MakeRows();
    // The list as the window holds it: 490 x 345 in a 500 x 400 pop-up.
    TResultsList list;
    QTreeWidget plain;
    QStringList captions;
    for (const ResultColumnDef& column : ResultColumnTable()) {
        list.AddColumn(column.Caption);
        captions << QString::fromUtf8(column.Caption);
    }
    plain.setColumnCount(int(captions.size()));
    plain.setHeaderLabels(captions);
    plain.setRootIsDecorated(false);
    plain.setUniformRowHeights(true);
    for (QTreeWidget* w : {static_cast<QTreeWidget*>(&list), &plain}) {
        w->resize(490, 345);
        w->show();
    }
    QCoreApplication::processEvents();

    std::vector<double> ours, peer, fitting;
    for (int r = 0; r < runs; ++r) {
        // Alternate who goes first, so that neither always finds warm caches.
        for (int k = 0; k < 2; ++k) {
            if ((r + k) % 2 == 0) {
                QElapsedTimer t;
                t.start();
                list.ClearRows();
                for (const Row& row : rows)
                    list.AddRow(row);
                QElapsedTimer f;
                f.start();
                list.FitColumns();
                fitting.push_back(Milliseconds(f));
                list.repaint();
                QCoreApplication::processEvents();
                ours.push_back(Milliseconds(t));
            } else {
                QElapsedTimer t;
                t.start();
                plain.clear();
                for (const Row& row : rows)
                    plain.addTopLevelItem(new QTreeWidgetItem(Decode(row)));
                plain.repaint();
                QCoreApplication::processEvents();
                peer.push_back(Milliseconds(t));
            }
        }
    }
    if (list.topLevelItemCount() != Rows || plain.topLevelItemCount() != Rows) {
        std::fprintf(stderr, "resultslist_bench: a list lost rows\n");
        return 1;
    }
    const double o = Median(ours), p = Median(peer);
    std::printf("results list benchmark: %d rows x %lld columns, %d runs, medians\n", Rows,
                (long long)captions.size(), runs);
    std::printf("%-36s %8.1f ms\n", "of which column fitting", Median(fitting));
    std::printf("%-36s findaro %8.1f ms  peer %8.1f ms  ratio %.2f\n",
                "fill, fit and paint vs plain fill", o, p, p > 0 ? o / p : 0.0);
    return 0;
}
