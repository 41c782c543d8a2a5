object Form1: TForm1
  Left = 0
  Top = 0
  Width = 728
  Height = 529
  BorderIcons = [biSystemMenu, biMinimize]
  Caption = '巡检程序 v1.0 (VX1/VX2)'
  Color = clBtnFace
  Font.Height = -15
  Font.Name = '宋体'
  Menu = MainMenu1
  Position = poScreenCenter
  OnClose = FormClose
  OnKeyPress = FormKeyPress
  OnShow = FormShow
  object GroupBoxHardware: TGroupBox
    Left = 8
    Top = 8
    Width = 353
    Height = 403
    Anchors = [akLeft, akTop, akBottom]
    Caption = '系统信息'
    Color = clMenu
    Font.Color = clBlack
    Font.Height = -12
    Font.Name = '宋体'
    ParentColor = False
    ParentFont = False
    TabOrder = 9
    object Panel6: TPanel
      Left = 13
      Top = 20
      Width = 328
      Height = 371
      Anchors = [akLeft, akTop, akRight, akBottom]
      BevelOuter = bvLowered
      TabOrder = 0
      object LBMsg: TListBox
        Left = 1
        Top = 1
        Width = 326
        Height = 388
        Align = alClient
        BorderStyle = bsNone
        Color = clScrollBar
        Font.Color = clBlack
        Font.Height = -16
        Font.Name = '宋体'
        ImeName = '中文 (简体) - 智能 ABC'
        ItemHeight = 16
        ParentFont = False
        TabOrder = 0
      end
    end
  end
  object Label3: TLabel
    Left = 392
    Top = 44
    Caption = '共0线'
  end
  object Edit3: TEdit
    Left = 456
    Top = 40
    Width = 49
    Height = 21
    ImeName = '中文 (简体) - 智能 ABC'
    MaxLength = 2
    Ctl3D = False
    ParentCtl3D = False
    TabOrder = 0
    Text = '0'
    OnKeyPress = Edit3KeyPress
  end
  object Label4: TLabel
    Left = 540
    Top = 44
    Caption = '序列号'
  end
  object Edit4: TEdit
    Left = 600
    Top = 40
    Width = 65
    Height = 21
    Enabled = False
    ImeName = '中文 (简体) - 智能 ABC'
    MaxLength = 1
    Ctl3D = False
    ParentCtl3D = False
    TabOrder = 10
    OnKeyPress = Edit3KeyPress
  end
  object RadioGroup1: TRadioGroup
    Left = 392
    Top = 80
    Width = 169
    Height = 105
    Caption = '设备类型'
    ItemIndex = 0
    Items.Strings = (
      'VX1/CID1'
      'VX2/CID2'
      'KM1')
    TabOrder = 12
  end
  object Button3: TButton
    Left = 592
    Top = 160
    Width = 75
    Height = 25
    Caption = '设置类型'
    TabOrder = 11
    OnClick = Button3Click
  end
  object Label1: TLabel
    Left = 396
    Top = 216
    Caption = '录音文件名'
  end
  object Edit1: TEdit
    Left = 484
    Top = 212
    Width = 189
    Height = 21
    ImeName = '中文 (简体) - 智能 ABC'
    Ctl3D = False
    ParentCtl3D = False
    TabOrder = 1
    Text = 'xunjian1.wav'
  end
  object Label2: TLabel
    Left = 396
    Top = 248
    Caption = '文件长度'
  end
  object Edit2: TEdit
    Left = 484
    Top = 244
    Width = 189
    Height = 21
    Color = clActiveBorder
    Enabled = False
    ImeName = '中文 (简体) - 智能 ABC'
    Ctl3D = False
    ParentCtl3D = False
    TabOrder = 2
  end
  object Button13: TButton
    Left = 508
    Top = 280
    Width = 75
    Height = 25
    Caption = '开始录音'
    TabOrder = 3
    OnClick = Button13Click
  end
  object Button14: TButton
    Left = 596
    Top = 280
    Width = 75
    Height = 25
    Caption = '停止录音'
    TabOrder = 4
    OnClick = Button14Click
  end
  object MediaPlayer1: TMediaPlayer
    Left = 384
    Top = 320
    Width = 113
    Height = 33
    AutoOpen = False
    TabOrder = 7
    VisibleButtons = [btPlay, btPrev, btBack, btEject]
  end
  object Button24: TButton
    Left = 508
    Top = 324
    Width = 75
    Height = 25
    Caption = '放音'
    TabOrder = 5
    OnClick = Button24Click
  end
  object Button1: TButton
    Left = 600
    Top = 324
    Width = 75
    Height = 25
    Caption = '停止'
    TabOrder = 6
    OnClick = Button1Click
  end
  object TrackBar1: TTrackBar
    Left = 384
    Top = 364
    Width = 293
    Height = 33
    Max = 100
    Orientation = trHorizontal
    TabOrder = 8
    ThumbLength = 10
    TickMarks = tmBoth
    TickStyle = tsManual
  end
  object Button4: TButton
    Left = 144
    Top = 176
    Width = 75
    Height = 25
    Caption = 'Button4'
    TabOrder = 14
    OnClick = Button4Click
  end
  object Button2: TButton
    Left = 144
    Top = 228
    Width = 75
    Height = 25
    Caption = 'Button2'
    TabOrder = 13
    OnClick = Button2Click
  end
  object StatusBar1: TStatusBar
    Height = 27
    Panels = <
      item
        Width = 650
      end
      item
        Width = 50
      end>
  end
  object MainMenu1: TMainMenu
    object N1: TMenuItem
      Caption = '文件(&F)'
      object N5: TMenuItem
        Caption = '退出(&X)'
        OnClick = N5Click
      end
    end
    object N6: TMenuItem
      Caption = '帮助(&H)'
      object N7: TMenuItem
        Caption = '关于巡检程序(&A)'
        GroupIndex = 1
        OnClick = N7Click
      end
    end
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 400
    OnTimer = Timer1Timer
  end
  object Timer2: TTimer
    Enabled = False
    Interval = 200
    OnTimer = Timer2Timer
  end
  object Timer3: TTimer
    Interval = 200
    OnTimer = Timer3Timer
  end
  object Timer4: TTimer
    Interval = 200
    OnTimer = Timer4Timer
  end
  object TimerR: TTimer
    Enabled = False
    Interval = 400
    OnTimer = TimerRTimer
  end
end
