object FormAbout: TFormAbout
  Left = 0
  Top = 0
  Width = 294
  Height = 201
  Caption = '关于巡检程序'
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Position = poScreenCenter
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 286
    Height = 167
    Align = alClient
    BevelInner = bvLowered
    Font.Height = -11
    Font.Name = '宋体'
    ParentFont = False
    TabOrder = 0
    object Panel2: TPanel
      Left = 16
      Top = 16
      Width = 261
      Height = 105
      TabOrder = 0
      object Image1: TImage
        Left = 12
        Top = 8
        Width = 97
        Height = 77
        Stretch = True
      end
      object Label1: TLabel
        Left = 172
        Top = 16
        Caption = '巡检程序'
        Font.Height = -13
        Font.Name = '宋体'
        Font.Style = [fsBold]
        ParentFont = False
      end
      object Label2: TLabel
        Left = 160
        Top = 40
        Caption = 'Version 1.0'
        Font.Height = -13
        Font.Name = '宋体'
        ParentFont = False
      end
    end
    object SpeedButton2: TSpeedButton
      Left = 168
      Top = 134
      Width = 85
      Height = 27
      Cursor = crHandPoint
      AllowAllUp = True
      Caption = '退出'
      Flat = True
      Font.Color = clNavy
      Font.Height = -15
      Font.Name = '宋体'
      Font.Pitch = fpFixed
      NumGlyphs = 2
      ParentFont = False
      ShowHint = True
      OnClick = SpeedButton2Click
    end
  end
end
