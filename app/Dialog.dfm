object FormDialog: TFormDialog
  Left = 0
  Top = 0
  Width = 306
  Height = 181
  Caption = '提示信息'
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Position = poScreenCenter
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 298
    Height = 154
    Align = alClient
    BevelInner = bvRaised
    BevelOuter = bvLowered
    Color = clMenu
    TabOrder = 0
    object Label1: TLabel
      Left = 124
      Top = 16
      Width = 161
      Height = 97
      AutoSize = False
      Caption = 'Label1'
      Font.Height = -15
      Font.Name = '宋体'
      ParentFont = False
      WordWrap = True
    end
    object Image: TImage
      Left = 12
      Top = 12
      Width = 100
      Height = 75
      AutoSize = True
    end
    object ButtonOk: TTransparentButton
      Left = 83
      Top = 114
      Width = 78
      Height = 29
      Cursor = crHandPoint
      AutoGray = False
      Caption = '确 认  '
      Font.Height = -13
      Font.Name = '宋体'
      Font.Pitch = fpFixed
      FrameStyle = fsIndent
      NumGlyphs = 2
      ParentFont = False
      TextAlign = ttaRight
      OnClick = ButtonOkClick
    end
    object ButtonCancel: TTransparentButton
      Left = 203
      Top = 114
      Width = 78
      Height = 29
      Cursor = crHandPoint
      AutoGray = False
      Caption = '取 消  '
      Font.Height = -13
      Font.Name = '宋体'
      Font.Pitch = fpFixed
      FrameStyle = fsIndent
      NumGlyphs = 2
      ParentFont = False
      TextAlign = ttaRight
      OnClick = ButtonCancelClick
    end
    object ButtonClose: TTransparentButton
      Left = 139
      Top = 114
      Width = 78
      Height = 29
      Cursor = crHandPoint
      AutoGray = False
      Caption = '关 闭  '
      Font.Height = -13
      Font.Name = '宋体'
      Font.Pitch = fpFixed
      FrameStyle = fsIndent
      NumGlyphs = 2
      ParentFont = False
      TextAlign = ttaRight
      OnClick = ButtonCloseClick
    end
  end
end
