#pragma once

#include <QDialog>

class QToolButton;

// The form of the periodic table: one tool button per element, each member named as its
// button's object name. The members stand in the order the buttons are made, which is also the
// focus chain and the stacking order at the shared borders; the numbers in the names follow no
// chemical order.
class Ui_PeriodicTableDialogClass {
 public:
  QToolButton* toolButton = nullptr;       // H
  QToolButton* toolButton_2 = nullptr;     // Li
  QToolButton* toolButton_4 = nullptr;     // Na
  QToolButton* toolButton_6 = nullptr;     // K
  QToolButton* toolButton_7 = nullptr;     // Rb
  QToolButton* toolButton_8 = nullptr;     // Cs
  QToolButton* toolButton_9 = nullptr;     // Fr
  QToolButton* toolButton_3 = nullptr;     // Be
  QToolButton* toolButton_5 = nullptr;     // Mg
  QToolButton* toolButton_10 = nullptr;    // Ca
  QToolButton* toolButton_11 = nullptr;    // Sr
  QToolButton* toolButton_13 = nullptr;    // Ba
  QToolButton* toolButton_12 = nullptr;    // Ra
  QToolButton* toolButton_14 = nullptr;    // Sc
  QToolButton* toolButton_15 = nullptr;    // Y
  QToolButton* toolButton_16 = nullptr;    // Ti
  QToolButton* toolButton_17 = nullptr;    // Zr
  QToolButton* toolButton_18 = nullptr;    // Hf
  QToolButton* toolButton_19 = nullptr;    // Rf
  QToolButton* toolButton_23 = nullptr;    // V
  QToolButton* toolButton_22 = nullptr;    // Nb
  QToolButton* toolButton_21 = nullptr;    // Ta
  QToolButton* toolButton_20 = nullptr;    // Db
  QToolButton* toolButton_27 = nullptr;    // Cr
  QToolButton* toolButton_26 = nullptr;    // Mo
  QToolButton* toolButton_25 = nullptr;    // W
  QToolButton* toolButton_24 = nullptr;    // Sg
  QToolButton* toolButton_28 = nullptr;    // Mn
  QToolButton* toolButton_35 = nullptr;    // Tc
  QToolButton* toolButton_41 = nullptr;    // Re
  QToolButton* toolButton_47 = nullptr;    // Bh
  QToolButton* toolButton_29 = nullptr;    // Fe
  QToolButton* toolButton_36 = nullptr;    // Ru
  QToolButton* toolButton_42 = nullptr;    // Os
  QToolButton* toolButton_48 = nullptr;    // Hs
  QToolButton* toolButton_30 = nullptr;    // Co
  QToolButton* toolButton_31 = nullptr;    // Ni
  QToolButton* toolButton_32 = nullptr;    // Cu
  QToolButton* toolButton_33 = nullptr;    // Zn
  QToolButton* toolButton_37 = nullptr;    // Rh
  QToolButton* toolButton_38 = nullptr;    // Pd
  QToolButton* toolButton_39 = nullptr;    // Ag
  QToolButton* toolButton_40 = nullptr;    // Cd
  QToolButton* toolButton_43 = nullptr;    // Ir
  QToolButton* toolButton_44 = nullptr;    // Pt
  QToolButton* toolButton_45 = nullptr;    // Au
  QToolButton* toolButton_49 = nullptr;    // Mt
  QToolButton* toolButton_50 = nullptr;    // Ds
  QToolButton* toolButton_51 = nullptr;    // Rg
  QToolButton* toolButton_46 = nullptr;    // Hg
  QToolButton* toolButton_34 = nullptr;    // Uub
  QToolButton* toolButton_54 = nullptr;    // Ga
  QToolButton* toolButton_53 = nullptr;    // In
  QToolButton* toolButton_58 = nullptr;    // B
  QToolButton* toolButton_55 = nullptr;    // Tl
  QToolButton* toolButton_56 = nullptr;    // Uut
  QToolButton* toolButton_57 = nullptr;    // C
  QToolButton* toolButton_59 = nullptr;    // Si
  QToolButton* toolButton_52 = nullptr;    // Al
  QToolButton* toolButton_61 = nullptr;    // Ge
  QToolButton* toolButton_62 = nullptr;    // Sn
  QToolButton* toolButton_60 = nullptr;    // Pb
  QToolButton* toolButton_63 = nullptr;    // Uuq
  QToolButton* toolButton_64 = nullptr;    // N
  QToolButton* toolButton_69 = nullptr;    // P
  QToolButton* toolButton_72 = nullptr;    // As
  QToolButton* toolButton_74 = nullptr;    // Sb
  QToolButton* toolButton_78 = nullptr;    // Bi
  QToolButton* toolButton_79 = nullptr;    // Uup
  QToolButton* toolButton_65 = nullptr;    // O
  QToolButton* toolButton_66 = nullptr;    // F
  QToolButton* toolButton_67 = nullptr;    // Ne
  QToolButton* toolButton_70 = nullptr;    // S
  QToolButton* toolButton_71 = nullptr;    // Cl
  QToolButton* toolButton_88 = nullptr;    // Ar
  QToolButton* toolButton_73 = nullptr;    // Se
  QToolButton* toolButton_86 = nullptr;    // Br
  QToolButton* toolButton_87 = nullptr;    // Kr
  QToolButton* toolButton_75 = nullptr;    // Te
  QToolButton* toolButton_76 = nullptr;    // I
  QToolButton* toolButton_85 = nullptr;    // Xe
  QToolButton* toolButton_82 = nullptr;    // Po
  QToolButton* toolButton_83 = nullptr;    // At
  QToolButton* toolButton_84 = nullptr;    // Rn
  QToolButton* toolButton_80 = nullptr;    // Uuh
  QToolButton* toolButton_81 = nullptr;    // Uus
  QToolButton* toolButton_68 = nullptr;    // He
  QToolButton* toolButton_77 = nullptr;    // Uuo
  QToolButton* toolButton_103 = nullptr;   // La
  QToolButton* toolButton_104 = nullptr;   // Ce
  QToolButton* toolButton_102 = nullptr;   // Pr
  QToolButton* toolButton_118 = nullptr;   // Nd
  QToolButton* toolButton_117 = nullptr;   // Pm
  QToolButton* toolButton_116 = nullptr;   // Sm
  QToolButton* toolButton_115 = nullptr;   // Eu
  QToolButton* toolButton_114 = nullptr;   // Gd
  QToolButton* toolButton_113 = nullptr;   // Tb
  QToolButton* toolButton_112 = nullptr;   // Dy
  QToolButton* toolButton_111 = nullptr;   // Pa
  QToolButton* toolButton_110 = nullptr;   // U
  QToolButton* toolButton_109 = nullptr;   // Np
  QToolButton* toolButton_108 = nullptr;   // Pu
  QToolButton* toolButton_107 = nullptr;   // Am
  QToolButton* toolButton_106 = nullptr;   // Cm
  QToolButton* toolButton_105 = nullptr;   // Bk
  QToolButton* toolButton_101 = nullptr;   // Cf
  QToolButton* toolButton_99 = nullptr;    // Ho
  QToolButton* toolButton_100 = nullptr;   // Es
  QToolButton* toolButton_90 = nullptr;    // Ac
  QToolButton* toolButton_89 = nullptr;    // Er
  QToolButton* toolButton_98 = nullptr;    // Th
  QToolButton* toolButton_93 = nullptr;    // Fm
  QToolButton* toolButton_92 = nullptr;    // Tm
  QToolButton* toolButton_91 = nullptr;    // Md
  QToolButton* toolButton_94 = nullptr;    // Yb
  QToolButton* toolButton_97 = nullptr;    // No
  QToolButton* toolButton_95 = nullptr;    // Lu
  QToolButton* toolButton_96 = nullptr;    // Lr

  void setupUi(QDialog* dialog);
  void retranslateUi(QDialog* dialog);
};

// A display-only periodic table: a fixed window of 118 coloured element buttons that nothing
// reads and that sends nothing out.
class PeriodicTableDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PeriodicTableDialog(QWidget* parent = nullptr);

  Ui_PeriodicTableDialogClass ui;

 private slots:
  // Bound by name to the "Rf" button's click; it does nothing.
  void on_toolButton_19_clicked();
};
