#pragma once
// The strip of three task pictures over the banner. A click chooses a task: its picture turns
// gold until the selection changes again, and taskActivated reports it.
#include <QWidget>

class TaskStrip : public QWidget {
    Q_OBJECT
public:
    enum Task { VerifyDecrypt = 0, GetCertificate = 1, Help = 2 };
    static constexpr int taskCount = 3;
    static constexpr int stripHeight = 71;

    explicit TaskStrip(QWidget* parent = nullptr);

    // Gives every task its normal picture.
    void ResetTasks();
    // Chooses a task as a click does: the gold picture, then taskActivated.
    void activate(int task);
    // While a job runs only Help answers; the other tasks keep their pictures.
    void setHelpOnly(bool helpOnly) { helpOnly_ = helpOnly; }

    int chosenTask() const { return chosen_; } // -1 when none shows its gold picture
    // The picture a task shows now.
    int pictureOf(int task) const;
    QRect taskRect(int task) const;
    int taskAt(QPoint position) const;
    int bannerId() const;
    static QString toolTipOf(int task);

signals:
    void taskActivated(int task);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void select(int task);

    int selected_ = -1;
    int chosen_ = -1;
    int pressed_ = -1;
    bool helpOnly_ = false;
};
