/* Brindlequay skin: a quiet, flat look over the platform's own style. */
QPushButton {
    background-color: #e8eef6;
    border: 1px solid #8aa4c4;
    border-radius: 3px;
    color: #1b2b40;
}
QPushButton:hover {
    background-color: #d4e2f3;
    border-color: #3d6fae;
}
QPushButton:pressed {
    background-color: #b9cfea;
}
QGroupBox {
    border: 1px solid #a8b4c2;
    border-radius: 3px;
    margin-top: 8px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 3px;
}
QProgressBar {
    border: 1px solid #8aa4c4;
    border-radius: 3px;
    text-align: center;
    background-color: #ffffff;
}
QProgressBar::chunk {
    background-color: #3d6fae;
}
