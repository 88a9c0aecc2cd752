// TTifTagEdit ("Tif Tag Editor"): the tags of a TIFF page in a list; the writable ones can be
// changed, each in the kind of box its TIFF field type calls for. The form edits the records it is
// given; EditTags writes the modified ones back and reads the tags again.
#pragma once

#include "imaging/core/TiffPages.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace orva::imaging {

class TTifTagEdit : public QDialog {
    Q_OBJECT
public:
    explicit TTifTagEdit(QWidget *parent = nullptr);

    // The records to show and edit (the viewer's list); set before the form is shown.
    void SetTags(TTiffTagList *tags);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void TagBoxClick();
    void Edit1Change();
    void Memo1Change();
    void SetModifiedFlag();
    TTiffTagRecord *selected();

    QListWidget *m_tagBox = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QLabel *m_label4 = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_label6 = nullptr;
    QLabel *m_label7 = nullptr;
    QLabel *m_label8 = nullptr;
    QLabel *m_label9 = nullptr;
    QLabel *m_label10 = nullptr;
    QLineEdit *m_edit1 = nullptr;
    QPlainTextEdit *m_memo1 = nullptr;
    QPushButton *m_bitBtn1 = nullptr;
    QPushButton *m_bitBtn2 = nullptr;
    TTiffTagList *m_tags = nullptr;
    bool m_filling = false;
    QString m_memoBefore;
};

// The viewer's EditTags: the editor on the page's tags; on OK the modified writable tags are
// written (all in one write), on Cancel nothing is; either way the tags are read again.
// resolutionChanged says whether XResolution or YResolution was written. False when the write
// failed (the last library error tells why; the file is as it was), or with the reason in `error`
// when the file or memory image is gone.
bool EditTags(QWidget *parent, const TTiffSource &source, int page, TTiffTagList &tags,
              bool &resolutionChanged, QString *error = nullptr);

} // namespace orva::imaging
