#pragma once

#include <QObject>

/// A simulated scanner (filled in by the simulator work).
class Simulator : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
};
