#include "app/replace_question.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/help_window.h"

namespace kova::app {

namespace {
constexpr int k1500Twips = 100;  // at 15 twips a pixel
}

ReplaceQuestionDialog::ReplaceQuestionDialog(const ReplaceQuestionFields& labels, ImportAnswer& answer, ScreenHost* host,
                     QWidget* importScreen, QWidget* parent)
    : QuestionDialog(answer, host, importScreen, k1500Twips, parent) {
    setObjectName(QStringLiteral("KOVALDME4"));
    setWindowTitle(QString::fromUtf8(kReplaceQuestionTitle));

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    image->setAlignment(Qt::AlignTop);

    const struct {
        const char* name;
        const char* caption;
        const std::string& value;
    } rows[] = {
        {"LblNome", "Nome Empresarial: ", labels.name},
        {"LblCNPJ", "CNPJ do declarante:", labels.cnpj},
        {"LblAno", "Competência:", labels.year},
        {"LblTipo", "Tipo:", labels.type},
        {"LblSituacao", "Situação Especial:", labels.situation},
    };
    auto* grid = new QGridLayout;
    int row = 0;
    for (const auto& r : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(r.caption), this), row, 0);
        auto* value = new QLabel(QString::fromStdString(r.value), this);
        value->setObjectName(QString::fromLatin1(r.name));
        value->setTextFormat(Qt::PlainText);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        grid->addWidget(value, row, 1);
        values_.insert(QString::fromLatin1(r.name), value);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    auto* text = new QLabel(QString::fromUtf8(kReplaceQuestionText), this);
    text->setObjectName(QStringLiteral("Label1"));
    text->setWordWrap(true);
    text->setMinimumWidth(400);

    QPushButton* yes = addButton(0, QStringLiteral("&Sim"));
    QPushButton* no = addButton(1, QStringLiteral("&Não"));
    QPushButton* ok = addButton(2, QStringLiteral("&OK"));
    QPushButton* help = addButton(3, QStringLiteral("&Ajuda"));
    ok->hide();
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, [this] { answerAndClose(ImportAnswer::UnderWay); });
    connect(no, &QPushButton::clicked, this, [this] { answerAndClose(ImportAnswer::NotGenerated); });
    connect(help, &QPushButton::clicked, this, [this] { openHelp(topic::ImportarDeclaracao); });

    auto* texts = new QVBoxLayout;
    texts->addLayout(grid);
    texts->addSpacing(8);
    texts->addWidget(text);
    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttonRow());
    setFixedSize(sizeHint());
}

Answer ScreenReplaceQuestion::ask(const ReplaceQuestionFields& labels) {
    // The busy pointer of the generation gives way to the arrow while the person decides.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const ImportAnswer before = answer_;
    ReplaceQuestionDialog question(labels, answer_, host_, importScreen_, importScreen_ ? importScreen_->window() : nullptr);
    question.exec();
    QApplication::restoreOverrideCursor();
    if (importScreen_) importScreen_->setFocus();
    // Only "&Sim" replaces: a question dismissed with its close box keeps the existing declaration, as "&Não".
    if (answer_ == before && question.result() == QDialog::Rejected) return Answer::No;
    return answer_ == ImportAnswer::NotGenerated ? Answer::No : Answer::Yes;
}

}  // namespace kova::app
